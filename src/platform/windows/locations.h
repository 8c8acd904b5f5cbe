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

/// The folder of the user's history: %LOCALAPPDATA%\\Quelvo, or the executable's folder where
/// there is no such variable. Nothing is created.
std::string historyFolder();

/// The name the user logs in with; empty when the system does not say.
std::string userName();

} // namespace quelvo
