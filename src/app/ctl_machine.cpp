#include "app/ctl_machine.h"

#include "platform/linux/locations.h"
#include "platform/linux/policy_store.h"
#include "platform/linux/posix_file_system.h"
#include "platform/linux/settings_store.h"
#include "schedule/machine_settings.h"

#include <memory>

namespace quelvo {

MachineStores openMachineStores(const std::string& root)
{
    MachineStores stores;
    stores.folder = machineConfigFolder(root);
    stores.stateFolder = machineStateFolder(root);
    stores.fs = std::make_unique<PosixFileSystem>(PosixCalls::system(), kCommandLockWait, FileSharing::ReadableByAll);
    stores.config = std::make_unique<SettingsStore>(*stores.fs, joinPath(stores.folder, "settings.ini"));
    // What fired and what was skipped is the service's record, so `next` and `list` see what it sees.
    stores.records = std::make_unique<SettingsStore>(*stores.fs, machineRecordsPath(root));
    stores.settings = std::make_unique<MachineSettings>(*stores.config, *stores.records);
    return stores;
}

PolicySource readMachinePolicy(const std::string& root)
{
    PosixFileSystem fs(PosixCalls::system(), kCommandLockWait);
    const SettingsStore config(fs, joinPath(machineConfigFolder(root), "settings.ini"));
    const PolicyStore store(fs, machinePolicyPath(root), config);
    return {store.read(), store.place()};
}

} // namespace quelvo
