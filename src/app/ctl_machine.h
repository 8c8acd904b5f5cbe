#pragma once

#include "app/ctl.h"

#include <string>

namespace quelvo {

/// The machine schedule's stores on this system under a root folder (empty for the system's own):
/// files every user may read, and the machine's own settings.
MachineStores openMachineStores(const std::string& root);

/// The administrator's policy on this system under a root folder (empty for the system's own), with
/// the machine settings it leaves `warn` and `postpone_minutes` to.
PolicySource readMachinePolicy(const std::string& root);

} // namespace quelvo
