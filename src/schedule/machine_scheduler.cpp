#include "schedule/machine_scheduler.h"

#include "countdown/countdown.h"
#include "platform/settings_keys.h"
#include "schedule/clock_mode.h"
#include "schedule/firing_skips.h"

#include <algorithm>
#include <utility>

namespace quelvo {

namespace {

using std::chrono::floor;
using std::chrono::minutes;

// The first moment after the wall-clock minute of `t`.
WallTime nextMinute(WallTime t)
{
    return floor<minutes>(t) + minutes(1);
}

} // namespace

MachineScheduler::MachineScheduler(FileSystem& fs, std::string folder, Settings& settings, const Clock& clock,
                                   MachineHooks& hooks)
    : m_file(fs, std::move(folder)), m_settings(settings), m_clock(clock), m_hooks(hooks),
      m_checker(*this, settings, clock), m_warnings(settings, clock)
{
    reload();
}

std::optional<WallTime> MachineScheduler::nextWake()
{
    const WallTime now = m_clock.wallNow();
    std::optional<WallTime> wake;
    const auto consider = [&wake](WallTime t) {
        if (!wake || t < *wake)
            wake = t;
    };
    if (m_countdown)
        consider(now + std::chrono::ceil<std::chrono::milliseconds>(m_countdown->ends - m_clock.steadyNow()));
    // The minute of the last wake-up was scanned then; a firing in it is not waited for again.
    const WallTime from = m_lastWake ? std::max(now, nextMinute(*m_lastWake)) : now;
    if (const std::optional<NextFiring> next = upcoming(from)) {
        consider(next->at);
        const int warn = readMinutes(m_settings, setting::kWarn);
        if (const WallTime warnAt = next->at - minutes(warn); warn > 0 && warnAt > now)
            consider(warnAt);
    }
    return wake;
}

void MachineScheduler::wake()
{
    const WallTime now = m_clock.wallNow();
    if (m_countdown && m_clock.steadyNow() >= m_countdown->ends) {
        const bool reboot = m_countdown->reboot;
        m_countdown.reset();
        m_hooks.powerAction(reboot, readFlag(m_settings, setting::kForced, false));
    }
    // The lines that were watched until now decide what was due and what was missed; a line added
    // for a minute already past was never due.
    m_checker.checkevents();
    if (m_lastWake)
        reportMissed(*m_lastWake, now);
    m_lastWake = now;
    reload();
    if (const std::optional<NextFiring> next = upcoming(nextMinute(now))) {
        const UpcomingEvent event{next->line, next->reboot, next->at};
        if (auto notice = m_warnings.check(event, now, readMinutes(m_settings, setting::kWarn)))
            m_hooks.warn(*next, *notice);
    }
}

IoResult MachineScheduler::dropevent(const std::string& matchedLine)
{
    IoResult removed = m_file.dropevent(matchedLine);
    if (removed.ok())
        reload();
    return removed;
}

void MachineScheduler::openCountdown(bool reboot, const std::string& line)
{
    // As with the tray program's window, a second firing during a countdown joins the one running.
    if (m_countdown)
        return;
    m_countdown = Running{reboot, line, m_clock.steadyNow() + std::chrono::seconds(Countdown::kStartSeconds)};
    m_hooks.countdownStarted(line, reboot, Countdown::kStartSeconds);
}

void MachineScheduler::reload()
{
    ScheduleRead read = m_file.read();
    // A schedule that can't be read now keeps the lines read last, rather than none.
    if (!read.io.ok()) {
        m_hooks.reportError(read.io.error);
        return;
    }
    m_lines = std::move(read.lines);
}

void MachineScheduler::reportMissed(WallTime since, WallTime now)
{
    // What the checker made is in the record of firings, so what is left before this minute was missed.
    const WallTime thisMinute = floor<minutes>(now);
    WallTime from = nextMinute(since);
    for (int reported = 0; reported < kMissedReported; ++reported) {
        const std::optional<NextFiring> firing = upcoming(from);
        if (!firing || firing->at >= thisMinute)
            return;
        m_hooks.record(HistoryEntry{firing->at, HistoryOrigin::Machine, firing->reboot, firing->line,
                                    HistoryOutcome::Missed, {}, {}});
        from = firing->at + minutes(1);
    }
}

std::optional<NextFiring> MachineScheduler::upcoming(WallTime from) const
{
    return nextFiring(m_lines, matchesIn24HourForm(m_settings), m_clock, from,
                      parseFirings(m_settings.get(setting::kLastFired, "")), pendingSkips(m_settings, m_clock));
}

} // namespace quelvo
