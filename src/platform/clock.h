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

/// Time as a dependency: wall clock for schedules, steady clock for waits.
class Clock
{
public:
    virtual ~Clock() = default;

    /// The current local date and time.
    [[nodiscard]] virtual LocalTime now() const = 0;
    /// A clock that only moves forward, unaffected by midnight or clock changes.
    [[nodiscard]] virtual std::chrono::steady_clock::time_point steadyNow() const = 0;
};

/// The texts the user's clock puts after a 12-hour time ("AM"/"PM"; empty where it shows none).
struct DayHalves
{
    std::string am;
    std::string pm;
};

/// Adds whole minutes to a local time, carrying into hours, days, months and years.
LocalTime addMinutes(const LocalTime& t, int minutes);

} // namespace quelvo
