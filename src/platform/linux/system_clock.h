#pragma once

#include "platform/clock.h"

namespace quelvo {

/// The machine's clock in the user's time zone (TZ, else the system's), through localtime_r.
class SystemClock final : public Clock
{
public:
    [[nodiscard]] WallTime wallNow() const override;
    [[nodiscard]] LocalTime toLocal(WallTime t) const override;
    [[nodiscard]] std::chrono::steady_clock::time_point steadyNow() const override;
};

/// The AM and PM texts of the locale the user's environment selects for times (LC_ALL,
/// LC_TIME, LANG), as the C library defines them; the program's own locale is left alone.
/// A locale that is not installed gives the C locale's "AM" and "PM".
DayHalves userDayHalves();

} // namespace quelvo
