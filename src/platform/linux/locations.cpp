#include "platform/linux/locations.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits.h>
#include <pwd.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace quelvo {

namespace {

std::string homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/tmp";
}

// An XDG base folder: the variable when it holds an absolute path, else the fallback under HOME.
std::string xdgFolder(const char* variable, const char* fallbackUnderHome)
{
    if (const char* value = std::getenv(variable); value && value[0] == '/')
        return value;
    return homeFolder() + "/" + fallbackUnderHome;
}

// Creates the folder and its missing parents; the last one only for this user.
bool makePrivateFolder(const std::string& path)
{
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        (void)::mkdir(path.substr(0, slash).c_str(), 0700);
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

// Empty when the folder is this user's own and closed to others; else why it may not be used.
std::string privateFolderProblem(const std::string& path)
{
    struct stat st
    {};
    if (::lstat(path.c_str(), &st) != 0)
        return "cannot use " + path + ": " + std::strerror(errno);
    if (!S_ISDIR(st.st_mode))
        return path + " is not a folder";
    if (st.st_uid != ::getuid())
        return path + " belongs to another user";
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return path + " may be written by other users";
    return {};
}

// The root folder without trailing slashes, so "/" and "" are both the system's own.
std::string underRoot(std::string root, std::string_view path)
{
    while (!root.empty() && root.back() == '/')
        root.pop_back();
    return root.append(path);
}

} // namespace

std::string executableFolder()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return ".";
    std::string path(buffer, static_cast<std::size_t>(n));
    const auto slash = path.find_last_of('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string programFolder()
{
    const std::string folder = executableFolder();
    // Decided by the installation, not by write access: root may write the shared program
    // folder, yet its schedule there would be everybody's.
    const bool installed = ::access((folder + "/" + kInstalledMarker).c_str(), F_OK) == 0;
    if (!installed && ::access(folder.c_str(), W_OK) == 0)
        return folder;
    return xdgFolder("XDG_DATA_HOME", ".local/share") + "/quelvo";
}

std::string settingsFilePath()
{
    return xdgFolder("XDG_CONFIG_HOME", ".config") + "/quelvo/settings.ini";
}

RuntimeFolder runtimeFolder()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/') {
        // Followed when it is a link: some systems point it elsewhere.
        struct stat st
        {};
        if (::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
            (st.st_mode & (S_IWGRP | S_IWOTH)) == 0)
            return {runtime, {}};
    }
    const std::string folder = xdgFolder("XDG_CACHE_HOME", ".cache") + "/quelvo";
    if (!makePrivateFolder(folder))
        return {{}, "cannot create " + folder + ": " + std::strerror(errno)};
    if (std::string problem = privateFolderProblem(folder); !problem.empty())
        return {{}, std::move(problem)};
    return {folder, {}};
}

std::string autostartEntryPath()
{
    return xdgFolder("XDG_CONFIG_HOME", ".config") + "/autostart/quelvo.desktop";
}

std::string historyFolder()
{
    return xdgFolder("XDG_STATE_HOME", ".local/state") + "/quelvo";
}

std::string userName()
{
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_name)
        return pw->pw_name;
    const char* user = std::getenv("USER");
    return user ? user : "";
}

std::string machineConfigFolder(const std::string& root)
{
    return underRoot(root, "/etc/quelvo");
}

std::string machineStateFolder(const std::string& root)
{
    return underRoot(root, "/var/lib/quelvo");
}

std::string machineRecordsPath(const std::string& root)
{
    return machineStateFolder(root) + "/records.ini";
}

std::string machinePolicyPath(const std::string& root)
{
    return machineConfigFolder(root) + "/policy.ini";
}

} // namespace quelvo
