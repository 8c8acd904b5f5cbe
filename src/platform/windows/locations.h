#pragma once

#include <string>
#include <string_view>

namespace quelvo {

/// Paths are UTF-8 in the program and wide (UTF-16) at every system call, so a folder name
/// outside the ANSI code page (a user name, say) works.
std::wstring widePath(std::string_view utf8);
std::string utf8Path(std::wstring_view wide);

/// Full path of the running executable; empty when the system cannot tell.
std::string executablePath();

/// Folder of the running executable, without a trailing separator.
std::string executableFolder();

/// Where events.ini lives: the executable's folder when a file can be created there (folder
/// attributes don't tell), otherwise %LOCALAPPDATA%\Quelvo.
std::string programFolder();

} // namespace quelvo
