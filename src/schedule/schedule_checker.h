#pragma once

#include "platform/clock.h"
#include "platform/file_system.h"
#include "shell/settings.h"

#include <optional>
#include <string>
#include <vector>

namespace quelvo {

/// The setting that holds the local date and minute of the last firing, as "YYYY-MM-DD HH:MM".
inline constexpr std::string_view kLastFiredKey = "lastfired";

/// The weekday as event lines name it in lower case: "sun" .. "sat", whatever the user's language.
std::string daytext(const LocalTime& t);

/// The time as event lines hold it in lower case: "07:05" (24-hour) or "07:05 pm" (12-hour).
std::string nowtext(const LocalTime& t, bool twentyFour);

/// The local date and minute of a moment as "YYYY-MM-DD HH:MM".
std::string minuteStamp(const LocalTime& t);

/// How far past each second boundary the checker's ticks are placed, in milliseconds.
inline constexpr int kTickPhaseMs = 50;

/// Milliseconds from a moment msIntoSecond past a second boundary to the next moment kTickPhaseMs past
/// one; between 1 and 1000.
int msToTickPhase(int msIntoSecond);

/// True when a tick msIntoSecond past a second boundary is near enough to the tick phase to stay there.
bool tickInPhase(int msIntoSecond);

/// An event line that is due now.
struct DueEvent
{
    std::string line; // lower-cased, the target of the removal
    bool reboot = false;
    bool repeat = false;

    bool operator==(const DueEvent&) const = default;
};

/// The first line of the list that is due at that weekday and minute, in file order; nullopt when none is.
std::optional<DueEvent> findDue(const std::vector<std::string>& lstEvents, const LocalTime& now, bool twentyFour);

/// What the checker needs from the main window.
class CheckerHost
{
public:
    virtual ~CheckerHost() = default;

    /// True when the main window is neither minimised nor maximised.
    [[nodiscard]] virtual bool windowIsNormal() const = 0;
    /// Minimises the main window, then makes it invisible; false when there is no tray to hide into.
    virtual bool hideToTray() = 0;
    /// Opens the tray hint window without waiting for it.
    virtual void openHint() = 0;
    /// The raw event lines in file order.
    [[nodiscard]] virtual const std::vector<std::string>& lstEvents() const = 0;
    /// Removes every line equal to the lower-cased target from the schedule and reloads the lists.
    virtual IoResult dropevent(const std::string& matchedLine) = 0;
    /// Opens the reboot or the shutdown countdown window, or shows the one already open.
    virtual void openCountdown(bool reboot) = 0;
};

/// The once-a-second work of the main window: re-hiding it to the tray and firing due events.
class ScheduleChecker final
{
public:
    ScheduleChecker(CheckerHost& host, Settings& settings, const Clock& clock);

    /// One tick: auto-hide, minute guard, scan, fire; all from one reading of the clock.
    void checkevents();

    /// True when the checker has hidden the window since it was last shown from the tray.
    [[nodiscard]] bool autohidden() const { return m_autohidden; }
    /// The tray's show commands clear the flag, so the next hidden run hides it again.
    void setAutohidden(bool value) { m_autohidden = value; }
    /// The two minute digits of the last scanned minute; empty before the first tick.
    [[nodiscard]] const std::string& lastminute() const { return m_lastminute; }

private:
    void autoHide();
    void scan(const LocalTime& now);

    CheckerHost& m_host;
    Settings& m_settings;
    const Clock& m_clock;
    std::string m_lastminute;
    bool m_autohidden = false;
};

} // namespace quelvo
