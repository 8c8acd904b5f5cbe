#include "platform/windows/folder_process_starter.h"

#include "power/command_line.h"

#include <algorithm>
#include <vector>
#include <windows.h>

namespace quelvo {

namespace {

bool isFile(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

} // namespace

FolderProcessStarter::FolderProcessStarter(std::string folder) : m_folder(std::move(folder))
{}

StartResult FolderProcessStarter::start(const std::string& commandLine, int showWindow)
{
    const std::vector<std::string> parts = splitCommandLine(commandLine);
    if (parts.empty())
        return {false, "empty command line"};
    // A drive letter ("C:x.exe") would name a file relative to that drive's current folder.
    const bool drive = parts.front().find(':') != std::string::npos;
    const std::vector<std::string> candidates =
        drive ? std::vector<std::string>{} : companionCandidates(m_folder, parts.front());
    if (candidates.empty())
        return {false, "only programs in " + m_folder + " are started"};
    for (std::string path : candidates) {
        std::replace(path.begin(), path.end(), '/', '\\');
        if (!isFile(path))
            continue;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(showWindow);
        PROCESS_INFORMATION process{};
        // CreateProcessA may write into the command line, so it gets a copy of its own.
        std::vector<char> line(commandLine.begin(), commandLine.end());
        line.push_back('\0');
        if (::CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, m_folder.c_str(), &startup,
                             &process) == FALSE)
            return {false, path + " could not be started (error " + std::to_string(::GetLastError()) + ")"};
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        return {true, {}};
    }
    return {false, parts.front() + " not found in " + m_folder};
}

} // namespace quelvo
