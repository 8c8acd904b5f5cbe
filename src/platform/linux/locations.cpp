#include "platform/linux/locations.h"

#include <cstdlib>
#include <limits.h>
#include <pwd.h>
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
    if (::access(folder.c_str(), W_OK) == 0)
        return folder;
    return xdgFolder("XDG_DATA_HOME", ".local/share") + "/quelvo";
}

std::string settingsFilePath()
{
    return xdgFolder("XDG_CONFIG_HOME", ".config") + "/quelvo/settings.ini";
}

std::string autostartEntryPath()
{
    return xdgFolder("XDG_CONFIG_HOME", ".config") + "/autostart/quelvo.desktop";
}

} // namespace quelvo
