#pragma once

#include <string>

namespace quelvo {

/// Folder of the running executable.
std::string executableFolder();

/// The file that `cmake --install` puts beside the programs of an installed copy.
inline constexpr const char* kInstalledMarker = "installed";

/// Where events.ini lives: $XDG_DATA_HOME/quelvo (default ~/.local/share/quelvo) for an
/// installed copy (kInstalledMarker beside the executable) and whenever the executable's
/// folder can't be written; otherwise, in a build tree, the executable's folder. Every
/// executable of the project resolves it this same way.
std::string programFolder();

/// The per-user settings file: $XDG_CONFIG_HOME/quelvo/settings.ini
/// (default ~/.config/quelvo/settings.ini).
std::string settingsFilePath();

/// The per-user folder of the single-instance lock and the instance socket:
/// $XDG_RUNTIME_DIR when it names a folder of this user, otherwise
/// $XDG_CACHE_HOME/quelvo (default ~/.cache/quelvo), created 0700. A folder that
/// belongs to someone else, or that others may write to, is never used.
struct RuntimeFolder
{
    std::string path;  // empty when there is none to be had
    std::string error; // why, when path is empty
};
RuntimeFolder runtimeFolder();

/// The folder of the user's history: $XDG_STATE_HOME/quelvo (default ~/.local/state/quelvo).
std::string historyFolder();

/// The name the user logs in with; empty when the system does not say.
std::string userName();

/// The per-user autostart entry: $XDG_CONFIG_HOME/autostart/quelvo.desktop
/// (default ~/.config/autostart/quelvo.desktop).
std::string autostartEntryPath();

/// The machine schedule's folder, events.ini and settings.ini: /etc/quelvo, or DIR/etc/quelvo
/// under a root folder DIR (empty for the system's own).
std::string machineConfigFolder(const std::string& root);

/// The machine service's own records: /var/lib/quelvo, or DIR/var/lib/quelvo under a root folder DIR.
std::string machineStateFolder(const std::string& root);

/// The service's records of firings, warnings and skips (records.ini), in its state folder.
std::string machineRecordsPath(const std::string& root);

/// The administrator's policy, policy.ini, beside the machine schedule.
std::string machinePolicyPath(const std::string& root);

} // namespace quelvo
