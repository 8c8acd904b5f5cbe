#pragma once

#include "platform/clock.h"

#include <mutex>

namespace quelvo {

/// The machine's clock in the user's time zone (SystemTimeToTzSpecificLocalTime), and a steady
/// clock that stands still while the computer sleeps (QueryUnbiasedInterruptTime).
class SystemClock final : public Clock
{
public:
    [[nodiscard]] WallTime wallNow() const override;
    [[nodiscard]] LocalTime toLocal(WallTime t) const override;
    [[nodiscard]] std::chrono::steady_clock::time_point steadyNow() const override;

private:
    // Windows keeps a time zone's offset in whole minutes, so the local time of one UTC minute
    // serves every second of it: the zone is looked up once a minute, not at every tick.
    mutable std::mutex m_mutex;
    mutable long long m_cachedMinute = -1; // UTC minutes since 1970, or -1
    mutable LocalTime m_cachedLocal;       // the local time at the start of that minute
};

/// The user's AM and PM designators (LOCALE_S1159, LOCALE_S2359), empty where the locale has none.
DayHalves userDayHalves();

} // namespace quelvo
