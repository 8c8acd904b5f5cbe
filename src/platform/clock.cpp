#include "platform/clock.h"

#include <cstdio>
#include <cstdlib>

namespace quelvo {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm).
long daysFromCivil(long y, long m, long d)
{
    y -= m <= 2 ? 1 : 0;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(long z, int& y, int& m, int& d)
{
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

} // namespace

LocalTime addMinutes(const LocalTime& t, int minutes)
{
    long total = t.hour * 60L + t.minute + minutes;
    long days = daysFromCivil(t.year, t.month, t.day);
    long dayShift = total >= 0 ? total / 1440 : -((-total + 1439) / 1440);
    total -= dayShift * 1440;
    days += dayShift;

    LocalTime r = t;
    civilFromDays(days, r.year, r.month, r.day);
    r.hour = static_cast<int>(total / 60);
    r.minute = static_cast<int>(total % 60);
    // 1970-01-01 was a Thursday.
    r.weekday = static_cast<int>(((days % 7) + 7 + 4) % 7);
    return r;
}

long long minuteNumber(const LocalTime& t)
{
    return daysFromCivil(t.year, t.month, t.day) * 1440LL + t.hour * 60LL + t.minute;
}

LocalTime fromMinuteNumber(long long number)
{
    const LocalTime epoch{1970, 1, 1, 0, 0, 0, 4};
    // Split into whole days first: addMinutes takes an int.
    const long long days = number >= 0 ? number / 1440 : -((-number + 1439) / 1440);
    LocalTime day = epoch;
    civilFromDays(static_cast<long>(days), day.year, day.month, day.day);
    day.weekday = static_cast<int>(((days % 7) + 7 + 4) % 7);
    return addMinutes(day, static_cast<int>(number - days * 1440));
}

std::string isoLocalTime(const Clock& clock, WallTime t)
{
    const LocalTime local = clock.toLocal(t);
    // The zone's offset is the local reading's distance from UTC at the same second; no OS call needed.
    const long long utcSeconds = std::chrono::floor<std::chrono::seconds>(t.time_since_epoch()).count();
    const long long offsetMinutes = (minuteNumber(local) * 60 + local.second - utcSeconds) / 60;
    const long long size = std::llabs(offsetMinutes);
    char text[40];
    (void)std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02lld:%02lld", local.year, local.month,
                        local.day, local.hour, local.minute, local.second, offsetMinutes < 0 ? '-' : '+', size / 60,
                        size % 60);
    return text;
}

} // namespace quelvo
