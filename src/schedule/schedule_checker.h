#pragma once

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/settings.h"
#include "schedule/clock_mode.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quelvo {

/// How long a firing is remembered, either side of the wall clock: a repeated hour, or a clock set back
/// by up to this much, does not fire the same line in the same local minute again.
inline constexpr std::chrono::hours kFiringMemory{4};

/// Missed minutes of a program that was merely late that are still scanned, the latest ones.
inline constexpr int kLateMinutesScanned = 5;

/// The wall clock running this far ahead of the steady clock (or behind it) between two ticks means
/// a resume from sleep or a clock set by hand, not a late program.
inline constexpr std::chrono::seconds kClockJumpTolerance{30};

/// A line's key in the record: 16 hex digits of a 64-bit FNV-1a hash of the line, letter case ignored.
std::string lineKey(std::string_view line);

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

/// The checker's timer (`Timer1`) ticks once a second while its ticks begin in phase.
inline constexpr int kTickPeriodMs = 1000;

/// The period Timer1 runs at from now, by the clock: kTickPeriodMs after a tick that began in phase
/// at `tickStart`; otherwise, and when the checker starts (no tick yet), the wait to the next tick
/// phase, but never to one in the second a tick already began in, which it has scanned.
int timer1Period(const Clock& clock, std::optional<WallTime> tickStart = std::nullopt);

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

/// One scanned minute in which a line fired.
struct Firing
{
    long long utcSeconds = 0;      // the wall clock when it fired
    long long localMinute = 0;     // minuteNumber of the local minute scanned
    std::vector<std::string> keys; // lineKey of each line due in that minute

    bool operator==(const Firing&) const = default;
};

/// The entries of a record stored as one setting, separated by ";" (`lastfired`, `skips`, `warned`).
std::vector<std::string> recordEntries(std::string_view text);

/// The record as stored under `lastfired` (setting::kLastFired): entries separated by ";", each
/// "<UTC seconds> <YYYY-MM-DD HH:MM> <line key>[,<line key>...]", the local minute scanned and the
/// lines that were due in it (the one that fired and those it took the minute from); entries that cannot be read are
/// left out.
std::vector<Firing> parseFirings(std::string_view text);
std::string formatFirings(const std::vector<Firing>& firings);

/// What the checker needs from the main window.
class CheckerHost
{
public:
    virtual ~CheckerHost() = default;

    /// Called before minutes are scanned, so that other programs' changes to the schedule count.
    virtual void beforeScan() {}
    /// The raw event lines in file order.
    [[nodiscard]] virtual const std::vector<std::string>& lstEvents() const = 0;
    /// Removes every line equal to the lower-cased target from the schedule and reloads the lists;
    /// success also when no such line is left. Never waits for a lock another program holds.
    virtual IoResult dropevent(const std::string& matchedLine) = 0;
    /// Opens the reboot or the shutdown countdown window for the event line `line`, or shows the
    /// one already open.
    virtual void openCountdown(bool reboot, const std::string& line) = 0;
    /// Whether the host holds back the firing of a due line in that local minute (minuteNumber), and
    /// writes down why: it is not made, and the minute counts as fired. None is held back by default.
    virtual bool heldBack(const std::string& /*line*/, bool /*reboot*/, long long /*localMinute*/) { return false; }
    /// Tells the user of a problem with the firing without waiting for an answer.
    virtual void reportError(const std::string& text) = 0;
};

/// The once-a-second firing of due events.
/// A due line fires from the list in memory whatever the files allow; the bookkeeping after it
/// (the record of firings, the removal of a one-off line) that could not be written is kept and
/// tried again at each later tick, and a line whose removal waits never fires again meanwhile.
class ScheduleChecker final
{
public:
    ScheduleChecker(CheckerHost& host, Settings& settings, const Clock& clock);

    /// One tick: each local minute not yet scanned (see minutesToScan), firing the first
    /// due line that has not fired in its minute and whose firing there is not skipped (`skips`);
    /// from one reading of the wall and the steady clock.
    void checkevents();

    /// True while a fired line's removal or the record of firings waits to be written.
    [[nodiscard]] bool bookkeepingPending() const { return m_recordPending || !m_pendingDrops.empty(); }

private:
    [[nodiscard]] std::vector<long long> minutesToScan(WallTime wall, std::chrono::steady_clock::time_point steady,
                                                       long long minute) const;
    bool scan(long long localMinute, WallTime wall, bool twentyFour);
    void loadFirings(WallTime wall);
    void forgetOldFirings(WallTime wall);
    void saveFirings();
    void dropLine(const std::string& line);
    void catchUp(WallTime wall);
    [[nodiscard]] bool dropPending(std::string_view line) const;

    CheckerHost& m_host;
    Settings& m_settings;
    const Clock& m_clock;
    ClockModeSource m_clockMode;
    bool m_ticked = false;
    WallTime m_lastWall{};
    std::chrono::steady_clock::time_point m_lastSteady{};
    long long m_lastMinute = 0; // minuteNumber of the last local minute scanned
    bool m_firingsLoaded = false;
    std::vector<Firing> m_firings;
    bool m_recordPending = false;            // m_firings holds a firing the settings do not
    std::vector<std::string> m_pendingDrops; // fired one-off lines still to be removed, lower-cased
};

} // namespace quelvo
