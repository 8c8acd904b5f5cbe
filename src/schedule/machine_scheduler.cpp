#include "schedule/machine_scheduler.h"

#include "countdown/countdown.h"
#include "platform/settings_keys.h"
#include "schedule/clock_mode.h"
#include "schedule/firing_skips.h"
#include "schedule/quick_action.h"

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
    if (const std::optional<NextFiring> firing = next()) {
        consider(firing->at);
        const int warn = readMinutes(m_settings, setting::kWarn);
        if (const WallTime warnAt = firing->at - minutes(warn); warn > 0 && warnAt > now)
            consider(warnAt);
    }
    return wake;
}

void MachineScheduler::wake()
{
    const WallTime now = m_clock.wallNow();
    if (m_countdown && m_clock.steadyNow() >= m_countdown->ends) {
        const Running ended = *std::exchange(m_countdown, std::nullopt);
        const PowerOutcome power = m_hooks.powerAction(ended.reboot, readFlag(m_settings, setting::kForced, false));
        const HistoryOutcome outcome = power.simulated ? HistoryOutcome::DryRun
                                       : power.failed  ? HistoryOutcome::Failed
                                                       : HistoryOutcome::Fired;
        finish(ended, outcome, {}, power.failed ? power.reason : std::string());
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

std::optional<NextFiring> MachineScheduler::next()
{
    const WallTime now = m_clock.wallNow();
    // The minute of the last wake-up was scanned then; a firing in it is not waited for again.
    return upcoming(m_lastWake ? std::max(now, nextMinute(*m_lastWake)) : now);
}

MachineReply MachineScheduler::cancel(const std::string& who)
{
    if (!m_countdown)
        return {false, std::string(kNoCountdownText)};
    finish(*std::exchange(m_countdown, std::nullopt), HistoryOutcome::Cancelled, who);
    return {};
}

MachineReply MachineScheduler::postpone(const std::string& who)
{
    const int minutes = readMinutes(m_settings, setting::kPostpone);
    if (m_countdown) {
        // Stopped whatever the write does, as the tray program's countdown is: the person asked for
        // no action now, and a failed write must not leave the machine to go down behind their back.
        const Running stopped = *std::exchange(m_countdown, std::nullopt);
        MachineReply written = writePostponed(m_clock.wallNow(), stopped.reboot, minutes);
        finish(stopped, written.ok ? HistoryOutcome::Postponed : HistoryOutcome::Cancelled, who);
        if (!written.ok)
            written.error = "the countdown was stopped, but " + written.error;
        return written;
    }
    const std::optional<NextFiring> firing = next();
    if (!firing)
        return {false, "nothing is scheduled to postpone"};
    // Written first: a failed write leaves the firing to be made at its time, so nothing is lost.
    if (MachineReply written = writePostponed(firing->at, firing->reboot, minutes); !written.ok)
        return written;
    return skipNext(*firing, HistoryOutcome::Postponed, who);
}

MachineReply MachineScheduler::skip(const std::string& who)
{
    if (m_countdown) {
        finish(*std::exchange(m_countdown, std::nullopt), HistoryOutcome::Skipped, who);
        return {};
    }
    const std::optional<NextFiring> firing = next();
    if (!firing)
        return {false, "nothing is scheduled to skip"};
    return skipNext(*firing, HistoryOutcome::Skipped, who);
}

void MachineScheduler::finish(const Running& ended, HistoryOutcome outcome, const std::string& who,
                              const std::string& detail)
{
    // Written down before it is told, so that whoever hears of it finds it in the history.
    record(m_clock.wallNow(), ended.reboot, ended.line, outcome, who, detail);
    m_hooks.countdownEnded(outcome, who);
}

void MachineScheduler::record(WallTime time, bool reboot, const std::string& line, HistoryOutcome outcome,
                              const std::string& who, const std::string& detail)
{
    m_hooks.record(HistoryEntry{.time = time,
                                .origin = HistoryOrigin::Machine,
                                .reboot = reboot,
                                .line = line,
                                .outcome = outcome,
                                .detail = detail,
                                .who = who});
}

MachineReply MachineScheduler::writePostponed(WallTime from, bool reboot, int minutes)
{
    const OneOffWrite written = writeOneOff(m_file, m_settings, m_clock, from, reboot, minutes);
    if (written.refusal)
        return {false, written.refusal->text};
    if (!written.lines.empty())
        reload();
    if (!written.io.ok())
        return {false, "the postponed event could not be written: " + written.io.error};
    // Made by a person's choice just now: a firing within the warning time needs no warning of it.
    const WallTime now = m_clock.wallNow();
    const int warn = readMinutes(m_settings, setting::kWarn);
    for (const NextFiring& f : nextFirings(written.lines, matchesIn24HourForm(m_settings), m_clock, now, {}, {}))
        m_warnings.markTold({f.line, f.reboot, f.at}, now, warn);
    return {};
}

MachineReply MachineScheduler::skipNext(const NextFiring& firing, HistoryOutcome outcome, const std::string& who)
{
    const SkipResult skipped = skipFiring(m_file, m_settings, m_clock, firing);
    if (!skipped.io.ok())
        return {false, "the firing could not be skipped: " + skipped.io.error};
    if (skipped.removed)
        reload();
    record(m_clock.wallNow(), firing.reboot, firing.line, outcome, who);
    return {};
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
        record(firing->at, firing->reboot, firing->line, HistoryOutcome::Missed, {});
        from = firing->at + minutes(1);
    }
}

std::optional<NextFiring> MachineScheduler::upcoming(WallTime from) const
{
    return nextFiring(m_lines, matchesIn24HourForm(m_settings), m_clock, from,
                      parseFirings(m_settings.get(setting::kLastFired, "")), pendingSkips(m_settings, m_clock));
}

} // namespace quelvo
