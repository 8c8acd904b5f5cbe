#include "platform/linux/folder_process_starter.h"

#include "power/command_line.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QTimer>

#include <csignal>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace quelvo {

namespace {

bool isExecutableFile(const std::string& path)
{
    struct stat info = {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// How often a watched child is looked at: often enough that its end is seen at once, as the
// user waits at "0"; after the limit, seldom, only to collect it.
constexpr int kPollMs = 100;
constexpr int kCollectMs = 1000;

} // namespace

FolderProcessStarter::FolderProcessStarter(std::string folder) : m_folder(std::move(folder))
{}

FolderProcessStarter::Found FolderProcessStarter::find(const std::string& commandLine) const
{
    const std::vector<std::string> parts = splitCommandLine(commandLine);
    if (parts.empty())
        return {{}, {}, "empty command line"};
    const std::vector<std::string> candidates = companionCandidates(m_folder, parts.front());
    if (candidates.empty())
        return {{}, {}, "only programs in " + m_folder + " are started"};
    for (const std::string& path : candidates) {
        if (isExecutableFile(path))
            return {path, std::vector<std::string>(parts.begin() + 1, parts.end()), {}};
    }
    return {{}, {}, parts.front() + " not found in " + m_folder};
}

StartResult FolderProcessStarter::start(const std::string& commandLine, int /*showWindow*/)
{
    const Found found = find(commandLine);
    if (found.path.empty())
        return {false, found.reason};
    QStringList arguments;
    for (const std::string& argument : found.arguments)
        arguments << QString::fromStdString(argument);
    if (QProcess::startDetached(QString::fromStdString(found.path), arguments, QString::fromStdString(m_folder)))
        return {true, {}};
    return {false, found.path + " could not be started"};
}

StartResult FolderProcessStarter::startWatched(const std::string& commandLine, int /*showWindow*/, int limitMs,
                                               std::function<void(ProcessEnd)> ended)
{
    const Found found = find(commandLine);
    if (found.path.empty())
        return {false, found.reason};
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(found.path.c_str()));
    for (const std::string& argument : found.arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addchdir_np(&actions, m_folder.c_str());
    pid_t pid = 0;
    const int error = ::posix_spawn(&pid, found.path.c_str(), &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return {false, found.path + " could not be started"};

    // Polled from the event loop, so the window goes on while the companion works. The timer
    // lives until the child is collected, also past the limit, so no zombie stays behind.
    auto* poll = new QTimer(QCoreApplication::instance()); // goes with the program at the latest
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(poll, &QTimer::timeout, poll, [poll, pid, limitMs, clock, ended = std::move(ended)]() mutable {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == 0) {
            if (ended && clock->elapsed() >= limitMs) {
                std::exchange(ended, nullptr)(ProcessEnd{true, 0});
                poll->setInterval(kCollectMs);
            }
            return;
        }
        poll->stop();
        poll->deleteLater();
        if (!ended)
            return;
        ProcessEnd end;
        if (done < 0)
            end.timedOut = true; // collected elsewhere: its status is unknown, so no verdict
        else if (WIFEXITED(status))
            end.status = WEXITSTATUS(status);
        else if (WIFSIGNALED(status))
            end.status = 128 + WTERMSIG(status);
        std::exchange(ended, nullptr)(end);
    });
    poll->start(kPollMs);
    return {true, {}, true};
}

} // namespace quelvo
