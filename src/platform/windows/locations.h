#pragma once

#include "platform/windows/registry_settings.h"

#include <string>

namespace quelvo {

/// Full path of the running executable; empty when the system cannot tell.
std::string executablePath();

/// A path made absolute against the current folder (GetFullPathNameW); unchanged when the system
/// cannot.
std::string fullPath(const std::string& path);

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

/// The machine schedule's folder, with events.ini: %ProgramData%\Quelvo, or DIR\ProgramData\Quelvo
/// under a root folder DIR (empty for the system's own).
std::string machineConfigFolder(const std::string& root);

/// The machine service's own files, records.ini and history.jsonl: the same folder, whose access
/// rules already let only administrators (and the service) write.
std::string machineStateFolder(const std::string& root);

/// The service's records of firings, warnings and skips. A file beside its history rather than a
/// registry key: the machine's settings key then holds only what administrators set, and the
/// records keep the format and the locked writes of the Linux service's.
std::string machineRecordsPath(const std::string& root);

/// Where the machine's settings live in the registry: `root` names the key under `hive` that
/// holds the applications, as RegistrySettings takes them.
struct RegistryPlace
{
    RegistryHive hive = RegistryHive::LocalMachine;
    std::string root;
};

/// HKEY_LOCAL_MACHINE\Software (so HKLM\Software\Quelvo\data); under a root folder DIR, a key of
/// DIR's own below HKEY_CURRENT_USER\Software\QuelvoTest, so that tests never touch the machine's.
RegistryPlace machineSettingsPlace(const std::string& root);

/// Where the administrator's policy lives: `root` names the key that holds its "Quelvo" key,
/// HKEY_LOCAL_MACHINE\Software\Policies (where Group Policy writes); under a root folder DIR,
/// Policies below DIR's own test key.
RegistryPlace machinePolicyPlace(const std::string& root);

} // namespace quelvo
