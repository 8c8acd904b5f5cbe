#pragma once

#include <string>

namespace quelvo {

/// Full path of the running executable; empty when the system cannot tell.
std::string executablePath();

/// Folder of the running executable, without a trailing separator.
std::string executableFolder();

/// Where events.ini lives: the executable's folder when a file can be created there (folder
/// attributes don't tell), otherwise %LOCALAPPDATA%\Quelvo.
std::string programFolder();

} // namespace quelvo
