#pragma once

#include "platform/clock.h"

namespace quelvo {

/// The machine's clock in the user's time zone (SystemTimeToTzSpecificLocalTime), and a steady
/// clock that stands still while the computer sleeps (QueryUnbiasedInterruptTime).
class SystemClock final : public Clock
{
public:
    [[nodiscard]] WallTime wallNow() const override;
    [[nodiscard]] LocalTime toLocal(WallTime t) const override;
    [[nodiscard]] std::chrono::steady_clock::time_point steadyNow() const override;
};

/// The user's AM and PM designators (LOCALE_S1159, LOCALE_S2359), empty where the locale has none.
DayHalves userDayHalves();

} // namespace quelvo
