#include "app/ctl_machine.h"

#include "platform/linux/settings_store.h"
#include "platform/windows/locations.h"
#include "platform/windows/machine_folder.h"
#include "platform/windows/policy_store.h"
#include "platform/windows/registry_settings.h"
#include "platform/windows/windows_file_system.h"
#include "schedule/machine_settings.h"

#include <memory>

namespace quelvo {

MachineStores openMachineStores(const std::string& root)
{
    MachineStores stores;
    stores.folder = machineConfigFolder(root);
    stores.stateFolder = machineStateFolder(root);
    stores.fs = std::make_unique<WindowsFileSystem>(WindowsCalls::system(), kCommandLockWait);
    // An administrator's command first makes sure of the folder's access rules, before anything
    // is written there; files made in it inherit them.
    if (runsAsAdministrator()) {
        if (IoResult secured = secureMachineFolder(*stores.fs, stores.folder); !secured.ok())
            stores.problem = secured.error;
    }
    const RegistryPlace place = machineSettingsPlace(root);
    stores.config = std::make_unique<RegistrySettings>(place.root, place.hive);
    // The service's record, so `next` and `list` see what it sees.
    stores.records = std::make_unique<SettingsStore>(*stores.fs, machineRecordsPath(root));
    stores.settings = std::make_unique<MachineSettings>(*stores.config, *stores.records);
    return stores;
}

PolicySource readMachinePolicy(const std::string& root)
{
    const RegistryPlace settingsPlace = machineSettingsPlace(root);
    const RegistrySettings config(settingsPlace.root, settingsPlace.hive);
    const PolicyStore store(machinePolicyPlace(root), config);
    return {store.read(), store.place()};
}

} // namespace quelvo
