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

/// The machine schedule's folder, with events.ini, the service's history and its records:
/// %ProgramData%\\Quelvo, or DIR\\ProgramData\\Quelvo under a root folder DIR (empty for the system's own).
std::string machineFolder(const std::string& root);

/// Where the machine's settings are kept in the registry.
struct MachineSettingsKey
{
    bool localMachine = true; // HKEY_LOCAL_MACHINE, else HKEY_CURRENT_USER
    std::string root;         // the key that holds the applications, as RegistrySettings takes it
};

/// HKEY_LOCAL_MACHINE\\Software; under a root folder DIR, a key of its own below
/// HKEY_CURRENT_USER\\Software\\QuelvoTest named after DIR, so tests leave the machine's alone.
MachineSettingsKey machineSettingsKey(const std::string& root);

} // namespace quelvo
