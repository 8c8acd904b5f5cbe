#pragma once

#include <string>

namespace quelvo {

/// Folder of the running executable.
std::string executableFolder();

/// Where events.ini lives: the executable's folder when it can be written,
/// otherwise $XDG_DATA_HOME/quelvo (default ~/.local/share/quelvo). Every
/// executable of the project resolves it this same way.
std::string programFolder();

/// The per-user settings file: $XDG_CONFIG_HOME/quelvo/settings.ini
/// (default ~/.config/quelvo/settings.ini).
std::string settingsFilePath();

/// The per-user autostart entry: $XDG_CONFIG_HOME/autostart/quelvo.desktop
/// (default ~/.config/autostart/quelvo.desktop).
std::string autostartEntryPath();

} // namespace quelvo
