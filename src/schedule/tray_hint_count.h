#pragma once

#include "platform/settings.h"

namespace quelvo {

/// Counts one hide to the tray in `runs1`; true while the hint window is still due (the first four times).
bool countHideToTray(Settings& settings);

} // namespace quelvo
