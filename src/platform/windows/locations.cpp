#include "platform/windows/locations.h"

#include "platform/windows/wide_text.h"

#include <windows.h>

#include <vector>

namespace quelvo {

std::string executablePath()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size())
            return toUtf8(std::wstring_view(buffer.data(), n));
        buffer.resize(buffer.size() * 2);
    }
}

std::string executableFolder()
{
    const std::string path = executablePath();
    const auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

namespace {

bool canCreateFileIn(const std::string& folder)
{
    const std::wstring probe = toWide(folder) + L"\\quelvo-write-test.tmp";
    const HANDLE h = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(h);
    return true;
}

} // namespace

std::string programFolder()
{
    const std::string folder = executableFolder();
    if (canCreateFileIn(folder))
        return folder;
    wchar_t local[MAX_PATH * 2] = {};
    const DWORD n = ::GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH * 2);
    if (n == 0 || n >= MAX_PATH * 2)
        return folder;
    const std::wstring own = std::wstring(local, n) + L"\\Quelvo";
    ::CreateDirectoryW(own.c_str(), nullptr);
    return toUtf8(own);
}

std::string historyFolder()
{
    wchar_t local[MAX_PATH * 2] = {};
    const DWORD n = ::GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH * 2);
    if (n == 0 || n >= MAX_PATH * 2)
        return executableFolder();
    return toUtf8(std::wstring(local, n) + L"\\Quelvo");
}

std::string userName()
{
    wchar_t name[257] = {}; // UNLEN + 1
    DWORD n = 257;
    if (!::GetUserNameW(name, &n) || n == 0)
        return {};
    return toUtf8(std::wstring(name, n - 1)); // n counts the terminating null
}

std::string machineFolder(const std::string& root)
{
    if (!root.empty())
        return root + "\\ProgramData\\Quelvo";
    wchar_t buffer[MAX_PATH];
    const DWORD n = ::GetEnvironmentVariableW(L"ProgramData", buffer, MAX_PATH);
    // A service's environment always has it; the folder's usual place otherwise.
    const std::string programData = n > 0 && n < MAX_PATH ? toUtf8(std::wstring_view(buffer, n)) : "C:\\ProgramData";
    return programData + "\\Quelvo";
}

MachineSettingsKey machineSettingsKey(const std::string& root)
{
    if (root.empty())
        return {.localMachine = true, .root = "Software"};
    // A key name holds no backslash; the root's whole path keeps two roots apart.
    std::string name = root;
    for (char& c : name) {
        if (c == '\\' || c == '/' || c == ':')
            c = '_';
    }
    return {.localMachine = false, .root = "Software\\QuelvoTest\\" + name};
}

} // namespace quelvo
