#include "schedule/machine_scheduler.h"

#include "countdown/countdown.h"
#include "platform/settings_keys.h"
#include "schedule/clock_mode.h"
#include "schedule/firing_skips.h"
#include "schedule/quick_action.h"

#include <algorithm>
#include <cstdio>
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

std::chrono::sys_days dayOf(const LocalTime& t)
{
    return std::chrono::year_month_day{std::chrono::year{t.year}, std::chrono::month{static_cast<unsigned>(t.month)},
                                       std::chrono::day{static_cast<unsigned>(t.day)}};
}

// How often a postponed event was put off before it, by its line's key.
struct PostponeCount
{
    std::string key;
    int count = 0;
};

// The record as stored under `postponed`: entries separated by ";", each "<line key> <count>";
// entries that cannot be read are left out.
std::vector<PostponeCount> parsePostponeCounts(std::string_view text)
{
    std::vector<PostponeCount> counts;
    for (const std::string& entry : recordEntries(text)) {
        char key[17] = {};
        int count = 0;
        int used = 0;
        if (std::sscanf(entry.c_str(), " %16[0-9a-f] %d %n", key, &count, &used) == 2 &&
            static_cast<std::size_t>(used) == entry.size() && std::string_view(key).size() == 16 && count > 0)
            counts.push_back({key, count});
    }
    return counts;
}

std::string formatPostponeCounts(const std::vector<PostponeCount>& counts)
{
    std::string text;
    for (const PostponeCount& c : counts)
        text += (text.empty() ? "" : ";") + c.key + ' ' + std::to_string(c.count);
    return text;
}

} // namespace

std::string postponeLimitText(int allowed)
{
    if (allowed <= 0)
        return "the administrator does not allow postponing this event";
    if (allowed <= 2)
        return std::string("this event may be postponed only ") + (allowed == 1 ? "once" : "twice");
    return "this event may be postponed only " + std::to_string(allowed) + " times";
}

MachineScheduler::MachineScheduler(FileSystem& fs, std::string folder, Settings& settings, const Clock& clock,
                                   MachineHooks& hooks)
    : m_file(fs, std::move(folder)), m_settings(settings), m_clock(clock), m_hooks(hooks),
      m_checker(*this, settings, clock), m_warnings(settings, clock)
{
    reload();
}

void MachineScheduler::setPolicy(Policy policy)
{
    m_policy = std::move(policy);
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
    // A firing on a holiday wakes the service too, so that its minute is written down as a holiday.
    if (const std::optional<NextFiring> firing = upcoming(waitFrom(), Holidays::Included))
        consider(firing->at);
    if (const std::optional<NextFiring> firing = next()) {
        consider(firing->at);
        const int warn = m_policy.warnMinutes;
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
        const PowerOutcome power = m_hooks.powerAction(ended.reboot, forced());
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
        if (auto notice = m_warnings.check(event, now, m_policy.warnMinutes))
            m_hooks.warn(*next, *notice);
    }
}

std::optional<NextFiring> MachineScheduler::next()
{
    return upcoming(waitFrom());
}

WallTime MachineScheduler::waitFrom() const
{
    const WallTime now = m_clock.wallNow();
    // The minute of the last wake-up was scanned then; a firing in it is not waited for again.
    return m_lastWake ? std::max(now, nextMinute(*m_lastWake)) : now;
}

MachineReply MachineScheduler::cancel(const std::string& who)
{
    if (!m_countdown)
        return {false, std::string(kNoCountdownText)};
    // Whoever asks: root, or an administrator, who may stop the service or change the policy instead.
    if (!m_policy.cancel)
        return {false, std::string(kNoCancelText)};
    finish(*std::exchange(m_countdown, std::nullopt), HistoryOutcome::Cancelled, who);
    return {};
}

MachineReply MachineScheduler::postpone(const std::string& who)
{
    const int minutes = m_policy.postponeMinutes;
    if (m_countdown) {
        if (postponesOf(m_countdown->line) >= m_policy.postpones)
            return {false, postponeLimitText(m_policy.postpones)};
        if (!m_policy.cancel) {
            // Where nobody may cancel, a postpone that could not be written is refused and the count
            // goes on: stopping it anyway would be the cancel the administrator does not allow.
            if (MachineReply written =
                    writePostponed(m_countdown->line, m_clock.wallNow(), m_countdown->reboot, minutes);
                !written.ok)
                return written;
            finish(*std::exchange(m_countdown, std::nullopt), HistoryOutcome::Postponed, who);
            return {};
        }
        // Stopped whatever the write does, as the tray program's countdown is: the person asked for
        // no action now, and a failed write must not leave the machine to go down behind their back.
        const Running stopped = *std::exchange(m_countdown, std::nullopt);
        MachineReply written = writePostponed(stopped.line, m_clock.wallNow(), stopped.reboot, minutes);
        finish(stopped, written.ok ? HistoryOutcome::Postponed : HistoryOutcome::Cancelled, who);
        if (!written.ok)
            written.error = "the countdown was stopped, but " + written.error;
        return written;
    }
    const std::optional<NextFiring> firing = next();
    if (!firing)
        return {false, "nothing is scheduled to postpone"};
    if (postponesOf(firing->line) >= m_policy.postpones)
        return {false, postponeLimitText(m_policy.postpones)};
    // Written first: a failed write leaves the firing to be made at its time, so nothing is lost.
    if (MachineReply written = writePostponed(firing->line, firing->at, firing->reboot, minutes); !written.ok)
        return written;
    return skipNext(*firing, HistoryOutcome::Postponed, who);
}

MachineReply MachineScheduler::skip(const std::string& who)
{
    if (!m_policy.cancel)
        return {false, std::string(m_countdown ? kNoCancelText : kNoSkipText)};
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
    keepPostpones(ended.line);
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

MachineReply MachineScheduler::writePostponed(const std::string& line, WallTime from, bool reboot, int minutes)
{
    const int before = postponesOf(line);
    const OneOffWrite written = writeOneOff(m_file, m_settings, m_clock, from, reboot, minutes);
    if (written.refusal)
        return {false, written.refusal->text};
    if (!written.lines.empty())
        reload();
    if (!written.io.ok())
        return {false, "the postponed event could not be written: " + written.io.error};
    // The one-off event is the same firing put off: postponing it again counts as the next postpone.
    if (!written.lines.empty())
        keepPostpones(line, written.lines.front(), before + 1);
    // Made by a person's choice just now: a firing within the warning time needs no warning of it.
    const WallTime now = m_clock.wallNow();
    const int warn = m_policy.warnMinutes;
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
    if (outcome != HistoryOutcome::Postponed)
        keepPostpones(firing.line);
    return {};
}

int MachineScheduler::postponesOf(const std::string& line) const
{
    const std::string key = lineKey(line);
    for (const PostponeCount& c : parsePostponeCounts(m_settings.get(setting::kPostponed, ""))) {
        if (c.key == key)
            return c.count;
    }
    return 0;
}

void MachineScheduler::keepPostpones(const std::string& ended, const std::string& next, int count)
{
    const std::string stored = m_settings.get(setting::kPostponed, "");
    if (stored.empty() && next.empty())
        return;
    std::vector<PostponeCount> counts = parsePostponeCounts(stored);
    const std::string endedKey = lineKey(ended);
    // A count is kept while its line is in the schedule or its countdown runs; the rest are of
    // events removed or passed while the service did not run.
    const auto kept = [this](const std::string& key) {
        return (m_countdown && lineKey(m_countdown->line) == key) ||
               std::any_of(m_lines.begin(), m_lines.end(), [&key](const std::string& l) { return lineKey(l) == key; });
    };
    std::erase_if(counts, [&](const PostponeCount& c) { return c.key == endedKey || !kept(c.key); });
    if (!next.empty()) {
        const std::string nextKey = lineKey(next);
        std::erase_if(counts, [&nextKey](const PostponeCount& c) { return c.key == nextKey; });
        counts.push_back({nextKey, count});
    }
    const std::string updated = formatPostponeCounts(counts);
    if (updated == stored)
        return;
    // The postpone stands; a count not kept lets the event be put off once more, so root hears of it.
    if (const IoResult saved = m_settings.save(setting::kPostponed, updated); !saved.ok())
        m_hooks.reportError("the count of postpones could not be kept: " + saved.error);
}

bool MachineScheduler::heldBack(const std::string& line, bool reboot, long long localMinute)
{
    if (!onHoliday(fromMinuteNumber(localMinute)))
        return false;
    record(m_clock.wallNow(), reboot, line, HistoryOutcome::Holiday, {});
    keepPostpones(line);
    return true;
}

bool MachineScheduler::onHoliday(const LocalTime& t) const
{
    return m_policy.holiday(std::chrono::year_month_day{dayOf(t)});
}

bool MachineScheduler::forced() const
{
    // The policy forces where the administrator says so; else root's own `forced` setting decides.
    return m_policy.forced || readFlag(m_settings, setting::kForced, false);
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
        const std::optional<NextFiring> firing = upcoming(from, Holidays::Included);
        if (!firing || firing->at >= thisMinute)
            return;
        // One that would not have fired anyway was not missed.
        record(firing->at, firing->reboot, firing->line,
               onHoliday(firing->local) ? HistoryOutcome::Holiday : HistoryOutcome::Missed, {});
        from = firing->at + minutes(1);
    }
}

std::optional<NextFiring> MachineScheduler::upcoming(WallTime from, Holidays holidays) const
{
    const bool twentyFour = matchesIn24HourForm(m_settings);
    const std::vector<Firing> fired = parseFirings(m_settings.get(setting::kLastFired, ""));
    const Skips skips = pendingSkips(m_settings, m_clock);
    std::optional<NextFiring> firing = nextFiring(m_lines, twentyFour, m_clock, from, fired, skips);
    while (holidays == Holidays::PassedOver && firing && onHoliday(firing->local)) {
        // On to the evening of the last day of the holidays that hold this firing's day at once,
        // early enough that a change of the clocks cannot carry it past that day's midnight.
        const std::chrono::sys_days day = dayOf(firing->local);
        std::chrono::sys_days last = day;
        for (const HolidayRange& range : m_policy.holidays) {
            if (std::chrono::sys_days(range.first) <= day && day <= std::chrono::sys_days(range.last))
                last = std::max(last, std::chrono::sys_days(range.last));
        }
        const auto ahead = (last + std::chrono::days(1) - day) - std::chrono::hours(firing->local.hour) -
                           minutes(firing->local.minute) - std::chrono::hours(2);
        firing = nextFiring(m_lines, twentyFour, m_clock, std::max(firing->at + minutes(1), firing->at + ahead), fired,
                            skips);
    }
    return firing;
}

} // namespace quelvo
