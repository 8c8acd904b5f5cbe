#pragma once

#include "platform/clock.h"

namespace quelvo {

/// The machine's clock in the user's time zone.
class SystemClock final : public Clock
{
public:
    [[nodiscard]] LocalTime now() const override;
    [[nodiscard]] std::chrono::steady_clock::time_point steadyNow() const override;
};

/// The AM and PM texts of the locale the user's environment selects for times (LC_ALL,
/// LC_TIME, LANG), as the C library defines them; the program's own locale is left alone.
/// A locale that is not installed gives the C locale's "AM" and "PM".
DayHalves userDayHalves();

} // namespace quelvo
