#pragma once

#include <chrono>
#include <string>

namespace quelvo {

/// A local calendar date and time of day, as the user's clock shows it.
struct LocalTime
{
    int year = 2000;
    int month = 1; // 1..12
    int day = 1;   // 1..31
    int hour = 0;  // 0..23
    int minute = 0;
    int second = 0;
    int weekday = 6; // 0 Sunday .. 6 Saturday

    bool operator==(const LocalTime&) const = default;
};

/// An absolute moment on the wall clock (UTC), which the user or a time service may set.
using WallTime = std::chrono::system_clock::time_point;

/// Time as a dependency: the wall clock and its local reading for schedules, a steady clock for waits.
class Clock
{
public:
    virtual ~Clock() = default;

    /// The wall clock now.
    [[nodiscard]] virtual WallTime wallNow() const = 0;
    /// The local date and time at that moment in the user's time zone, daylight saving included.
    [[nodiscard]] virtual LocalTime toLocal(WallTime t) const = 0;
    /// A clock that only moves forward, unaffected by midnight or clock changes, and that stands
    /// still while the machine sleeps.
    [[nodiscard]] virtual std::chrono::steady_clock::time_point steadyNow() const = 0;

    /// The current local date and time.
    [[nodiscard]] LocalTime now() const { return toLocal(wallNow()); }
};

/// The texts the user's clock puts after a 12-hour time ("AM"/"PM"; empty where it shows none).
struct DayHalves
{
    std::string am;
    std::string pm;
};

/// Adds whole minutes to a local time, carrying into hours, days, months and years.
LocalTime addMinutes(const LocalTime& t, int minutes);

/// The local date and minute counted in minutes from 1970-01-01 00:00 of the same calendar; seconds are dropped.
long long minuteNumber(const LocalTime& t);

/// The local date and minute of a minute number, weekday included, second zero.
LocalTime fromMinuteNumber(long long number);

/// The moment in the clock's local time with its offset from UTC, ISO 8601: "2026-12-08T22:00:00+01:00".
std::string isoLocalTime(const Clock& clock, WallTime t);

} // namespace quelvo
