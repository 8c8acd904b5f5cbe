#include "platform/linux/folder_process_starter.h"

#include "power/command_line.h"

#include <QProcess>
#include <QStringList>
#include <sys/stat.h>
#include <unistd.h>

namespace quelvo {

namespace {

bool isExecutableFile(const std::string& path)
{
    struct stat info = {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

} // namespace

FolderProcessStarter::FolderProcessStarter(std::string folder) : m_folder(std::move(folder))
{}

StartResult FolderProcessStarter::start(const std::string& commandLine, int /*showWindow*/)
{
    const std::vector<std::string> parts = splitCommandLine(commandLine);
    if (parts.empty())
        return {false, "empty command line"};
    const std::vector<std::string> candidates = companionCandidates(m_folder, parts.front());
    if (candidates.empty())
        return {false, "only programs in " + m_folder + " are started"};
    for (const std::string& path : candidates) {
        if (!isExecutableFile(path))
            continue;
        QStringList arguments;
        for (auto it = parts.begin() + 1; it != parts.end(); ++it)
            arguments << QString::fromStdString(*it);
        if (QProcess::startDetached(QString::fromStdString(path), arguments, QString::fromStdString(m_folder)))
            return {true, {}};
        return {false, path + " could not be started"};
    }
    return {false, parts.front() + " not found in " + m_folder};
}

} // namespace quelvo
