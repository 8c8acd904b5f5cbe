#include "app/ctl_machine.h"

#include "platform/linux/locations.h"
#include "platform/linux/posix_file_system.h"
#include "platform/linux/settings_store.h"

#include <memory>

namespace quelvo {

MachineStores openMachineStores(const std::string& root)
{
    MachineStores stores;
    stores.folder = machineConfigFolder(root);
    stores.stateFolder = machineStateFolder(root);
    stores.fs = std::make_unique<PosixFileSystem>(PosixCalls::system(), kCommandLockWait, FileSharing::ReadableByAll);
    stores.settings = std::make_unique<SettingsStore>(*stores.fs, joinPath(stores.folder, "settings.ini"));
    return stores;
}

} // namespace quelvo
