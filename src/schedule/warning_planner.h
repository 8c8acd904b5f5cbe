#pragma once

#include "platform/clock.h"
#include "platform/settings.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelvo {

/// The notification's heading.
inline constexpr std::string_view kNoticeTitle = "Quelvo";
/// The choice that lets this one firing pass.
inline constexpr std::string_view kSkipCaption = "Skip this time";

/// The choice that moves the firing on: "Postpone 15 minutes".
std::string postponeChoiceCaption(int minutes);

/// The clock time as the main window shows times: "22:00" (24-hour) or "10:00 PM" (12-hour).
std::string clockText(const LocalTime& t, bool twentyFour);

/// The warning's text: "Quelvo will shut down this PC at 22:00 (in 5 minutes)", or "... restart ...".
std::string warningBody(bool reboot, const LocalTime& at, bool twentyFour, int minutesLeft);

/// The next firing of the schedule, as the warning needs it.
struct UpcomingEvent
{
    std::string line; // the event line that fires
    bool reboot = false;
    WallTime at{}; // the moment it fires, the start of its minute
};

/// What to show when the warning is due.
struct WarningNotice
{
    std::string title;
    std::string body;

    bool operator==(const WarningNotice&) const = default;
};

/// One firing that needs no warning (any more): the minute it fires in, in minutes since 1970 UTC,
/// and the line's key.
struct ToldFiring
{
    long long utcMinute = 0;
    std::string key;

    bool operator==(const ToldFiring&) const = default;
};

/// The record as stored under `warned` (setting::kWarned): entries separated by ";", each
/// "<UTC seconds of the firing's minute> <line key>"; entries that cannot be read are left out.
std::vector<ToldFiring> parseToldFirings(std::string_view text);
std::string formatToldFirings(const std::vector<ToldFiring>& told);

/// Whether the one-second tick warns of the next firing now: once per firing, `warn` minutes ahead or
/// less, never for a firing whose time has passed. The firings told of are kept in the settings, so
/// a program restarted within the warning time does not warn again.
class WarningPlanner final
{
public:
    WarningPlanner(Settings& settings, const Clock& clock);

    /// One tick: the notice to show now, or nullopt (nothing due, warned already, `warnMinutes` 0).
    std::optional<WarningNotice> check(const std::optional<UpcomingEvent>& next, WallTime now, int warnMinutes);

    /// The program itself has just made this firing: when it falls within the warning time the
    /// user already knows of it, so it is taken as told; a later one is warned of as usual.
    void markTold(const UpcomingEvent& event, WallTime now, int warnMinutes);

private:
    // Adds the firing to the record unless it is there; true when it was not.
    bool remember(ToldFiring firing, WallTime now);
    void save();

    Settings& m_settings;
    const Clock& m_clock;
    bool m_loaded = false;
    bool m_savePending = false; // the record in memory holds a firing the settings do not
    std::vector<ToldFiring> m_told;
};

} // namespace quelvo
