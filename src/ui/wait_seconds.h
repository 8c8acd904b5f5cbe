#pragma once

#include "platform/clock.h"

#include <cstdint>

namespace quelvo {

/// Returns once `seconds` have passed on the clock's steady time, handling the
/// user interface's pending events meanwhile so that windows repaint and respond.
void waitseconds(std::uint8_t seconds, const Clock& clock);

} // namespace quelvo
