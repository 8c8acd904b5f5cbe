#pragma once

#include "power/dry_run.h"
#include "power/power_backend.h"

#include <memory>
#include <string>

namespace quelvo {

/// The backend every executable uses, over logind and the companions beside the executable; a dry
/// run prints on standard output.
std::unique_ptr<PowerBackend> makePowerBackend(bool dryRun);

/// The running executable's file name, without its folder.
std::string executableFileName();

} // namespace quelvo
