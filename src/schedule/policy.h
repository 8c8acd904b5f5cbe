#pragma once

#include <chrono>
#include <string_view>
#include <vector>

namespace quelvo {

/// Days on which the machine's events do not fire, first to last, both included.
struct HolidayRange
{
    std::chrono::year_month_day first;
    std::chrono::year_month_day last;
};

/// What an administrator lets the people at a machine do, and how the machine's own events fire.
/// The defaults are what applies where no policy is set.
struct Policy
{
    /// Whether a user may cancel a machine event's countdown.
    bool cancel = true;
    /// How often, and by how many minutes, a machine event's firing may be postponed.
    int postpones = 1;
    int postponeMinutes = 15;
    /// Minutes of warning before a machine event fires.
    int warnMinutes = 10;
    /// Days on which machine events do not fire.
    std::vector<HolidayRange> holidays;
    /// Whether users may keep schedules of their own and use the "now" and quick-action commands.
    bool userSchedule = true;
    /// Whether machine events ignore whatever inhibits a shutdown.
    bool forced = false;

    /// True when `day` falls within one of the holidays.
    [[nodiscard]] bool holiday(std::chrono::year_month_day day) const
    {
        for (const HolidayRange& range : holidays) {
            if (std::chrono::sys_days(range.first) <= std::chrono::sys_days(day) &&
                std::chrono::sys_days(day) <= std::chrono::sys_days(range.last))
                return true;
        }
        return false;
    }
};

/// What the tray program and quelvoctl tell a user whose own schedule the policy has turned off.
inline constexpr std::string_view kUserScheduleOff =
    "Your administrator has turned off schedules of your own on this PC.";

} // namespace quelvo
