#include "schedule/schedule_checker.h"

#include "platform/settings_keys.h"
#include "schedule/event_line.h"
#include "schedule/next_firing.h"

#include <algorithm>
#include <cstdio>

namespace quelvo {

namespace {

constexpr std::string_view kDayTexts[7] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};

// Characters `first` (1-based) onwards, at most `count`; past the end there is only empty text.
std::string_view field(std::string_view line, std::size_t first, std::size_t count)
{
    if (first > line.size())
        return {};
    return line.substr(first - 1, count);
}

std::string twoDigits(int value)
{
    char text[3] = {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10), '\0'};
    return text;
}

} // namespace

std::string daytext(const LocalTime& t)
{
    return std::string(kDayTexts[((t.weekday % 7) + 7) % 7]);
}

std::string nowtext(const LocalTime& t, bool twentyFour)
{
    if (twentyFour)
        return twoDigits(t.hour) + ':' + twoDigits(t.minute);
    const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
    return twoDigits(hour12) + ':' + twoDigits(t.minute) + (t.hour < 12 ? " am" : " pm");
}

std::string minuteStamp(const LocalTime& t)
{
    char text[32];
    (void)std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
    return text;
}

int msToTickPhase(int msIntoSecond)
{
    const int ms = ((msIntoSecond % 1000) + 1000) % 1000;
    const int delay = (kTickPhaseMs - ms + 1000) % 1000;
    return delay == 0 ? 1000 : delay;
}

bool tickInPhase(int msIntoSecond)
{
    // Early ticks would see the new minute only a whole second later; late ones by up to a few
    // hundred milliseconds (a busy event loop) are tolerated rather than chased.
    const int ms = ((msIntoSecond % 1000) + 1000) % 1000;
    return ms >= kTickPhaseMs / 2 && ms < kTickPhaseMs + 250;
}

int timer1Period(const Clock& clock, std::optional<WallTime> tickStart)
{
    using std::chrono::floor;
    using std::chrono::milliseconds;
    const auto msOf = [](WallTime t) { return floor<milliseconds>(t.time_since_epoch()).count(); };
    const auto secondOf = [](long long ms) { return (ms >= 0 ? ms : ms - 999) / 1000 * 1000; };
    if (tickStart && tickInPhase(static_cast<int>(msOf(*tickStart) % 1000)))
        return kTickPeriodMs;
    const long long now = msOf(clock.wallNow());
    long long next = secondOf(now - kTickPhaseMs) + 1000 + kTickPhaseMs; // the first phase after now
    if (tickStart)
        next = std::max(next, secondOf(msOf(*tickStart)) + 1000 + kTickPhaseMs);
    return static_cast<int>(next - now);
}

namespace {

// Comparing fields without regard to case equals lower-casing each line first, without a copy per line.
bool matches(std::string_view line, std::string_view day, std::string_view time)
{
    return equalsIgnoringCase(field(line, 4, 3), day) && equalsIgnoringCase(field(line, 11, time.size()), time);
}

DueEvent dueEventOf(std::string_view entry)
{
    DueEvent due;
    due.line = toLowerAscii(entry);
    due.reboot = field(due.line, 21, 10) == "reboot,   ";
    due.repeat = field(due.line, 32, 12) == "repeat daily";
    return due;
}

// A minute scanned again keeps at most this many due lines in its entry, and the record this many entries.
constexpr std::size_t kMaxKeysPerFiring = 16;
constexpr std::size_t kMaxFirings = 512;

} // namespace

std::optional<DueEvent> findDue(const std::vector<std::string>& lstEvents, const LocalTime& now, bool twentyFour)
{
    const std::string day = daytext(now);
    const std::string time = nowtext(now, twentyFour);
    for (const std::string& entry : lstEvents) {
        if (matches(entry, day, time))
            return dueEventOf(entry);
    }
    return std::nullopt;
}

std::string lineKey(std::string_view line)
{
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : line) {
        const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        hash ^= static_cast<unsigned char>(lower);
        hash *= 1099511628211ULL;
    }
    char text[17];
    (void)std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash)); // always fits
    return text;
}

std::vector<std::string> recordEntries(std::string_view text)
{
    std::vector<std::string> entries;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find(';'), text.size());
        entries.emplace_back(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return entries;
}

std::vector<Firing> parseFirings(std::string_view text)
{
    std::vector<Firing> firings;
    for (const std::string& entry : recordEntries(text)) {
        long long utc = 0;
        LocalTime t{};
        int used = 0;
        if (std::sscanf(entry.c_str(), "%lld %4d-%2d-%2d %2d:%2d %n", &utc, &t.year, &t.month, &t.day, &t.hour,
                        &t.minute, &used) != 6 ||
            used <= 0)
            continue;
        Firing firing{utc, minuteNumber(t), {}};
        std::string_view keys = std::string_view(entry).substr(static_cast<std::size_t>(used));
        while (!keys.empty()) {
            const std::size_t comma = std::min(keys.find(','), keys.size());
            const std::string_view key = keys.substr(0, comma);
            if (key.size() == 16 && key.find_first_not_of("0123456789abcdef") == std::string_view::npos)
                firing.keys.emplace_back(key);
            keys.remove_prefix(std::min(comma + 1, keys.size()));
        }
        if (!firing.keys.empty())
            firings.push_back(std::move(firing));
    }
    return firings;
}

std::string formatFirings(const std::vector<Firing>& firings)
{
    std::string text;
    for (const Firing& firing : firings) {
        if (!text.empty())
            text += ';';
        text += std::to_string(firing.utcSeconds) + ' ' + minuteStamp(fromMinuteNumber(firing.localMinute)) + ' ';
        for (std::size_t i = 0; i < firing.keys.size(); ++i)
            text += (i ? "," : "") + firing.keys[i];
    }
    return text;
}

ScheduleChecker::ScheduleChecker(CheckerHost& host, Settings& settings, const Clock& clock)
    : m_host(host), m_settings(settings), m_clock(clock), m_clockMode(settings)
{}

void ScheduleChecker::checkevents()
{
    const WallTime wall = m_clock.wallNow();
    const auto steady = m_clock.steadyNow();
    const long long minute = minuteNumber(m_clock.toLocal(wall));
    if (bookkeepingPending())
        catchUp(wall);

    const std::vector<long long> minutes = minutesToScan(wall, steady, minute);
    m_ticked = true;
    m_lastWall = wall;
    m_lastSteady = steady;
    m_lastMinute = minute;
    if (minutes.empty())
        return;
    m_host.beforeScan();
    // A guessed mode would fire 24-hour lines at the wrong hour, or 12-hour lines half a day off.
    const ClockModeSource::Reading mode = m_clockMode.read();
    if (mode.failure)
        m_host.reportError(*mode.failure);
    if (!mode.twentyFour)
        return;
    for (const long long scanned : minutes) {
        // The first match fires; its countdown is what the user sees of this tick.
        if (scan(scanned, wall, *mode.twentyFour))
            return;
    }
}

std::vector<long long> ScheduleChecker::minutesToScan(WallTime wall, std::chrono::steady_clock::time_point steady,
                                                      long long minute) const
{
    using std::chrono::floor;
    using std::chrono::minutes;
    if (!m_ticked)
        return {minute};
    if (minute == m_lastMinute)
        return {};
    // A wall clock that moved unlike the steady clock was set, or the machine slept: events of the
    // minutes in between are not fired in a burst; this minute, whichever it is, is scanned.
    const auto unexplained = (wall - m_lastWall) - (steady - m_lastSteady);
    if (unexplained > kClockJumpTolerance || unexplained < -kClockJumpTolerance)
        return {minute};
    const long long lastMoment = floor<minutes>(m_lastWall.time_since_epoch()).count();
    const long long thisMoment = floor<minutes>(wall.time_since_epoch()).count();
    if (thisMoment <= lastMoment)
        return {minute};

    // Both clocks moved together: the program was late. Walk the wall clock's minutes since the last
    // tick, the latest few only, in local time; where the local minute leaps ahead of the wall clock
    // the time zone skipped minutes (a spring-forward), and those are scanned too, in order.
    const long long first = std::max(lastMoment, thisMoment - kLateMinutesScanned - 1);
    const auto localMinuteAt = [this](long long moment) {
        return minuteNumber(m_clock.toLocal(WallTime{} + minutes(moment)));
    };
    long long previous = first == lastMoment ? m_lastMinute : localMinuteAt(first);
    std::vector<long long> out;
    for (long long moment = first + 1; moment <= thisMoment; ++moment) {
        const long long local = moment == thisMoment ? minute : localMinuteAt(moment);
        for (long long skipped = previous + 1; skipped < local && skipped - previous <= 24LL * 60; ++skipped)
            out.push_back(skipped);
        out.push_back(local);
        previous = local;
    }
    return out;
}

void ScheduleChecker::loadFirings(WallTime wall)
{
    if (!m_firingsLoaded) {
        m_firings = parseFirings(m_settings.get(setting::kLastFired, ""));
        m_firingsLoaded = true;
    }
    forgetOldFirings(wall);
}

void ScheduleChecker::forgetOldFirings(WallTime wall)
{
    const long long now = std::chrono::floor<std::chrono::seconds>(wall.time_since_epoch()).count();
    const long long memory = std::chrono::seconds(kFiringMemory).count();
    std::erase_if(m_firings,
                  [&](const Firing& f) { return f.utcSeconds < now - memory || f.utcSeconds > now + memory; });
    if (m_firings.size() > kMaxFirings)
        m_firings.erase(m_firings.begin(), m_firings.end() - static_cast<std::ptrdiff_t>(kMaxFirings));
}

bool ScheduleChecker::scan(long long localMinute, WallTime wall, bool twentyFour)
{
    const LocalTime t = fromMinuteNumber(localMinute);
    const std::string day = daytext(t);
    const std::string time = nowtext(t, twentyFour);
    const std::vector<std::string>& lines = m_host.lstEvents();
    std::optional<DueEvent> due;
    std::string dueLine;  // as the schedule holds it
    bool skipped = false; // a due line sat this minute out, as the user chose
    std::vector<std::string> keys;
    const Firing* known = nullptr;
    Skips skips;
    bool looked = false;
    for (const std::string& line : lines) {
        // A fired line whose removal waits is gone as far as firing goes, whatever a reload shows.
        if (!matches(line, day, time) || dropPending(line))
            continue;
        if (!looked) {
            // Read once something is due: a restarted program must not fire a minute again.
            loadFirings(wall);
            const auto it = std::find_if(m_firings.begin(), m_firings.end(),
                                         [&](const Firing& f) { return f.localMinute == localMinute; });
            known = it == m_firings.end() ? nullptr : &*it;
            // Read every time: the command line and the windows skip firings while the checker runs.
            skips = parseSkips(m_settings.get(setting::kSkips, ""));
            looked = true;
        }
        std::string key = lineKey(line);
        const bool fired = known && std::find(known->keys.begin(), known->keys.end(), key) != known->keys.end();
        // The first due line that has not fired in this minute fires; the other due lines of the minute
        // have had their turn and are recorded with it, so a minute scanned again fires none of them.
        // A skipped line passes its turn on and is recorded as if it had fired.
        if (!due && !fired) {
            if (isSkipped(skips, key, localMinute)) {
                skipped = true;
            } else {
                due = dueEventOf(line);
                dueLine = line;
            }
        }
        if (keys.size() < kMaxKeysPerFiring && std::find(keys.begin(), keys.end(), key) == keys.end())
            keys.push_back(std::move(key));
    }
    if (!due && !skipped)
        return false;

    const long long now = std::chrono::floor<std::chrono::seconds>(wall.time_since_epoch()).count();
    auto entry =
        std::find_if(m_firings.begin(), m_firings.end(), [&](const Firing& f) { return f.localMinute == localMinute; });
    if (entry == m_firings.end()) {
        m_firings.push_back({now, localMinute, std::move(keys)});
    } else {
        entry->utcSeconds = now;
        for (std::string& key : keys) {
            if (entry->keys.size() < kMaxKeysPerFiring &&
                std::find(entry->keys.begin(), entry->keys.end(), key) == entry->keys.end())
                entry->keys.push_back(std::move(key));
        }
    }
    forgetOldFirings(wall);
    // Recorded before anything else happens, so a power-off moments later cannot lose it. A failed write
    // still fires: the countdown can be cancelled, a silently skipped shutdown cannot be noticed.
    saveFirings();
    if (!due)
        return false;
    if (!due->repeat)
        dropLine(due->line);
    // Gone like a fired one: a one-off line held back does not wait for the week after.
    if (m_host.heldBack(dueLine, due->reboot, localMinute))
        return false;
    m_host.openCountdown(due->reboot, dueLine);
    return true;
}

void ScheduleChecker::saveFirings()
{
    // The record in memory is what guards against a second firing; the stored copy only carries it
    // over a restart, so a failed write waits for the next tick.
    m_recordPending = !m_settings.save(setting::kLastFired, formatFirings(m_firings)).ok();
}

void ScheduleChecker::dropLine(const std::string& line)
{
    if (!m_host.dropevent(line).ok() && !dropPending(line))
        m_pendingDrops.push_back(line);
}

bool ScheduleChecker::dropPending(std::string_view line) const
{
    return std::any_of(m_pendingDrops.begin(), m_pendingDrops.end(),
                       [line](const std::string& pending) { return equalsIgnoringCase(pending, line); });
}

void ScheduleChecker::catchUp(WallTime wall)
{
    if (m_recordPending) {
        forgetOldFirings(wall);
        saveFirings();
    }
    // A removal that fails again stays for the next tick; none of them waits for a lock.
    std::erase_if(m_pendingDrops, [this](const std::string& line) { return m_host.dropevent(line).ok(); });
}

} // namespace quelvo
