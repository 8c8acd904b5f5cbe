#include "platform/linux/system_clock.h"

#include <ctime>
#include <langinfo.h>
#include <locale.h>

namespace quelvo {

WallTime SystemClock::wallNow() const
{
    return std::chrono::system_clock::now();
}

LocalTime SystemClock::toLocal(WallTime t) const
{
    // Whole seconds towards the past, so that a moment just before a minute stays in that minute.
    const auto seconds = std::chrono::floor<std::chrono::seconds>(t.time_since_epoch()).count();
    const auto time = static_cast<std::time_t>(seconds);
    std::tm tm{};
    ::localtime_r(&time, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, tm.tm_wday};
}

std::chrono::steady_clock::time_point SystemClock::steadyNow() const
{
    // CLOCK_MONOTONIC: it stops while the machine sleeps, which tells a resume from a late program.
    return std::chrono::steady_clock::now();
}

DayHalves userDayHalves()
{
    locale_t locale = ::newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
    if (!locale)
        locale = ::newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(nullptr));
    if (!locale)
        return {"AM", "PM"};
    DayHalves halves{::nl_langinfo_l(AM_STR, locale), ::nl_langinfo_l(PM_STR, locale)};
    ::freelocale(locale);
    return halves;
}

} // namespace quelvo
