#include "platform/windows/system_clock.h"

#include <windows.h>

namespace quelvo {

LocalTime SystemClock::now() const
{
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wDayOfWeek};
}

std::chrono::steady_clock::time_point SystemClock::steadyNow() const
{
    ULONGLONG ticks = 0; // 100 ns units since start, without the time spent asleep
    ::QueryUnbiasedInterruptTime(&ticks);
    using Ticks = std::chrono::duration<long long, std::ratio<1, 10'000'000>>;
    return std::chrono::steady_clock::time_point(
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(Ticks(static_cast<long long>(ticks))));
}

} // namespace quelvo
