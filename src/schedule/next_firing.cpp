#include "schedule/next_firing.h"

#include "schedule/event_line.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>
#include <utility>

namespace quelvo {

Skips parseSkips(std::string_view text)
{
    Skips skips;
    for (const std::string& entry : recordEntries(text)) {
        char key[17] = {};
        LocalTime t{};
        int used = 0;
        if (std::sscanf(entry.c_str(), " %16[0-9a-f] %4d-%2d-%2d %2d:%2d %n", key, &t.year, &t.month, &t.day, &t.hour,
                        &t.minute, &used) != 6 ||
            static_cast<std::size_t>(used) != entry.size() || std::string_view(key).size() != 16)
            continue;
        if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 || t.minute > 59)
            continue;
        skips.push_back({key, minuteNumber(t)});
    }
    return skips;
}

std::string formatSkips(const Skips& skips)
{
    std::string text;
    for (const Skip& skip : skips)
        text += (text.empty() ? "" : ";") + skip.key + ' ' + minuteStamp(fromMinuteNumber(skip.localMinute));
    return text;
}

bool isSkipped(const Skips& skips, std::string_view key, long long localMinute)
{
    return std::any_of(skips.begin(), skips.end(),
                       [&](const Skip& s) { return s.localMinute == localMinute && s.key == key; });
}

namespace {

constexpr int kDayMinutes = 24 * 60;
constexpr int kWeekMinutes = 7 * kDayMinutes;
constexpr std::string_view kDayTexts[7] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};

int twoDigitsAt(std::string_view text, std::size_t at)
{
    const char a = text[at];
    const char b = text[at + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9')
        return -1;
    return (a - '0') * 10 + (b - '0');
}

// The minute of the week (0 = Sunday 00:00) whose day and time texts the line holds where the checker
// compares them; -1 for a line no minute matches.
int weekMinuteOf(std::string_view line, bool twentyFour)
{
    const std::size_t timeLength = twentyFour ? 5 : 8;
    if (line.size() < 10 + timeLength)
        return -1;
    int weekday = -1;
    for (int d = 0; d < 7; ++d) {
        if (equalsIgnoringCase(line.substr(3, 3), kDayTexts[d]))
            weekday = d;
    }
    const std::string_view time = line.substr(10, timeLength);
    const int hour = twoDigitsAt(time, 0);
    const int minute = twoDigitsAt(time, 3);
    if (weekday < 0 || hour < 0 || minute < 0 || minute > 59 || time[2] != ':')
        return -1;
    int hourOfDay = hour;
    if (twentyFour) {
        if (hour > 23)
            return -1;
    } else {
        const bool am = equalsIgnoringCase(time.substr(5), " am");
        if ((!am && !equalsIgnoringCase(time.substr(5), " pm")) || hour < 1 || hour > 12)
            return -1;
        hourOfDay = hour % 12 + (am ? 0 : 12);
    }
    return weekday * kDayMinutes + hourOfDay * 60 + minute;
}

int weekMinuteOfNumber(long long localMinute)
{
    const long long days =
        localMinute >= 0 ? localMinute / kDayMinutes : -((-localMinute + kDayMinutes - 1) / kDayMinutes);
    // 1970-01-01 was a Thursday.
    const long long weekday = ((days + 4) % 7 + 7) % 7;
    return static_cast<int>(weekday * kDayMinutes + (localMinute - days * kDayMinutes));
}

// Text from `first` (0-based) on, at most `count`, lower-cased comparison against `expected`.
bool fieldIs(std::string_view line, std::size_t first, std::string_view expected)
{
    return line.size() >= first && equalsIgnoringCase(line.substr(first, expected.size()), expected);
}

long long wallMinuteOf(WallTime t)
{
    return std::chrono::floor<std::chrono::minutes>(t.time_since_epoch()).count();
}

WallTime wallOf(long long wallMinute)
{
    return WallTime{} + std::chrono::minutes(wallMinute);
}

// The checker run forward on time over a copy of the schedule: lines bucketed once by the minute of
// the week they name, so the walk visits only minutes that have lines, and the local clock read only
// where its offset may have changed.
class FiringWalk final
{
public:
    // One firing met: the line, the wall minute of the tick, the local minute then, the minute it names.
    struct Met
    {
        std::size_t index;
        long long wall;
        long long localAtWall;
        long long minute;
        bool skipped;
    };
    using Visit = std::function<bool(const Met&)>; // false ends the walk

    FiringWalk(const std::vector<std::string>& lines, bool twentyFour, const Clock& clock,
               const std::vector<Firing>& record, const Skips& skips)
        : m_lines(lines), m_clock(clock), m_record(record), m_skips(skips), m_removed(lines.size(), 0),
          m_keys(lines.size())
    {
        std::vector<int> slotOf(lines.size());
        std::vector<int> count(kWeekMinutes + 1, 0);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            slotOf[i] = weekMinuteOf(lines[i], twentyFour);
            if (slotOf[i] >= 0) {
                ++count[static_cast<std::size_t>(slotOf[i]) + 1];
                ++m_candidates;
            }
        }
        m_start.assign(kWeekMinutes + 1, 0);
        for (int s = 0; s < kWeekMinutes; ++s)
            m_start[s + 1] = m_start[s] + count[static_cast<std::size_t>(s) + 1];
        m_order.resize(static_cast<std::size_t>(m_start[kWeekMinutes]));
        std::vector<int> fill(m_start.begin(), m_start.end() - 1);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (slotOf[i] >= 0)
                m_order[static_cast<std::size_t>(fill[static_cast<std::size_t>(slotOf[i])]++)] = i;
        }
        // The next minute of the week at or after each that has lines, -1 for none before the week ends.
        m_nextFilled.assign(kWeekMinutes + 1, -1);
        for (int s = kWeekMinutes - 1; s >= 0; --s)
            m_nextFilled[static_cast<std::size_t>(s)] = m_start[s] != m_start[s + 1] ? s : m_nextFilled[s + 1U];
    }

    [[nodiscard]] std::size_t candidates() const { return m_candidates; }

    // Visits each firing, made or skipped, in the order the checker meets them.
    void run(WallTime from, std::chrono::minutes horizon, const Visit& visit)
    {
        if (m_candidates == 0)
            return;
        long long wall = wallMinuteOf(from) + (from == wallOf(wallMinuteOf(from)) ? 0 : 1);
        const long long end = wall + horizon.count();
        long long previous = localMinuteAt(wall - 1);
        long long delta = localMinuteAt(wall) - wall;
        // The first minute is a tick like any other: it may be the one a clock change skipped to.
        if (!tick(wall, previous, wall + delta, visit))
            return;
        previous = wall + delta;
        while (true) {
            const std::optional<long long> local = nextFilledMinute(previous + 1);
            if (!local)
                return;
            long long at = *local - delta;
            if (at >= end)
                return;
            if (!offsetHolds(wall, at, delta)) {
                // The offset changed on the way: the tick of the change scans what the clock skipped.
                at = firstChange(wall, at, delta);
                if (at >= end)
                    return;
                delta = localMinuteAt(at) - at;
                previous = at - 1 + (localMinuteAt(at - 1) - (at - 1));
                m_steadyUntil = at;
                if (!tick(at, previous, at + delta, visit))
                    return;
            } else if (!tick(at, *local - 1, *local, visit)) {
                return;
            }
            wall = at;
            previous = at + delta;
        }
    }

private:
    [[nodiscard]] long long localMinuteAt(long long wallMinute) const
    {
        return minuteNumber(m_clock.toLocal(wallOf(wallMinute)));
    }

    // True when the offset from the wall minute `known` on is still `delta` at `at`. The clock is read
    // a day ahead at a time, not at every firing: zones change their offset at most once a day.
    bool offsetHolds(long long known, long long at, long long delta)
    {
        if (at <= m_steadyUntil)
            return true;
        const long long probe = std::max(at, m_steadyUntil + kDayMinutes);
        if (localMinuteAt(probe) - probe == delta) {
            m_steadyUntil = probe;
            return true;
        }
        const long long change = firstChange(std::max(known, m_steadyUntil), probe, delta);
        m_steadyUntil = change - 1;
        return at < change;
    }

    // The first wall minute in (known, beyond] whose offset is not `delta`; `beyond`'s is not.
    [[nodiscard]] long long firstChange(long long known, long long beyond, long long delta) const
    {
        while (beyond - known > 1) {
            const long long middle = known + (beyond - known) / 2;
            (localMinuteAt(middle) - middle == delta ? known : beyond) = middle;
        }
        return beyond;
    }

    [[nodiscard]] std::optional<long long> nextFilledMinute(long long localMinute) const
    {
        const int slot = weekMinuteOfNumber(localMinute);
        const long long weekStart = localMinute - slot;
        if (const int next = m_nextFilled[static_cast<std::size_t>(slot)]; next >= 0)
            return weekStart + next;
        return weekStart + kWeekMinutes + m_nextFilled[0];
    }

    // The checker's tick at that wall minute: the local minutes after `previous` up to `local` when the
    // clock skipped ahead (a day at most), `local` alone otherwise; the first firing ends the tick.
    bool tick(long long wall, long long previous, long long local, const Visit& visit)
    {
        for (long long minute = previous + 1; minute < local && minute - previous <= kDayMinutes; ++minute) {
            bool fired = false;
            if (!scan(minute, wall, local, visit, fired))
                return false;
            if (fired)
                return true;
        }
        bool fired = false;
        return scan(local, wall, local, visit, fired);
    }

    const std::string& keyOf(std::size_t index)
    {
        if (m_keys[index].empty())
            m_keys[index] = lineKey(m_lines[index]);
        return m_keys[index];
    }

    bool scan(long long minute, long long wall, long long localAtWall, const Visit& visit, bool& fired)
    {
        const int slot = weekMinuteOfNumber(minute);
        const int first = m_start[static_cast<std::size_t>(slot)];
        const int last = m_start[static_cast<std::size_t>(slot) + 1];
        if (first == last)
            return true;
        const long long memory = std::chrono::minutes(kFiringMemory).count();
        const auto recent = [&](long long atWall) { return atWall >= wall - memory && atWall <= wall + memory; };
        // Only a clock gone back meets a local minute the walk has scanned before.
        bool scannedHere = false;
        if (minute <= m_latestScanned) {
            for (auto it = m_scanned.rbegin(); it != m_scanned.rend() && it->second >= wall - memory; ++it)
                scannedHere = scannedHere || (it->first == minute && recent(it->second));
        }
        const Firing* known = nullptr;
        for (const Firing& f : m_record) {
            // The checker forgets firings older or newer than its memory, in seconds, before it looks.
            if (f.localMinute == minute && f.utcSeconds >= (wall - memory) * 60 &&
                f.utcSeconds <= (wall + memory) * 60) {
                known = &f;
                break;
            }
        }
        const bool anySkip =
            std::any_of(m_skips.begin(), m_skips.end(), [minute](const Skip& s) { return s.localMinute == minute; });
        bool consumed = false;
        std::optional<std::size_t> made;
        for (int k = first; k < last && !made; ++k) {
            const std::size_t index = m_order[static_cast<std::size_t>(k)];
            if (m_removed[index] || scannedHere)
                continue;
            if (known && std::find(known->keys.begin(), known->keys.end(), keyOf(index)) != known->keys.end())
                continue;
            const bool skipped = anySkip && isSkipped(m_skips, keyOf(index), minute);
            consumed = true;
            if (!skipped)
                made = index;
            if (!visit({index, wall, localAtWall, minute, skipped}))
                return false;
        }
        if (!consumed)
            return true;
        m_scanned.emplace_back(minute, wall);
        m_latestScanned = std::max(m_latestScanned, minute);
        fired = made.has_value();
        if (made && !fieldIs(m_lines[*made], 31, "repeat daily")) {
            // A fired one-off line goes from the schedule with every copy of it.
            for (int k = first; k < last; ++k) {
                const std::size_t index = m_order[static_cast<std::size_t>(k)];
                if (equalsIgnoringCase(m_lines[index], m_lines[*made]))
                    m_removed[index] = 1;
            }
        }
        return true;
    }

public:
    [[nodiscard]] NextFiring firingOf(const Met& met) const
    {
        const std::string& line = m_lines[met.index];
        return {met.index,
                line,
                fieldIs(line, 20, "reboot,   "),
                fieldIs(line, 31, "repeat daily"),
                wallOf(met.wall),
                fromMinuteNumber(met.localAtWall),
                met.minute,
                met.skipped};
    }

private:
    const std::vector<std::string>& m_lines;
    const Clock& m_clock;
    const std::vector<Firing>& m_record;
    const Skips& m_skips;
    std::vector<int> m_start;                               // per minute of the week, where its lines begin in m_order
    std::vector<std::size_t> m_order;                       // line indices by minute of the week, file order within one
    std::vector<int> m_nextFilled;                          // per minute of the week
    std::vector<char> m_removed;                            // fired one-off lines
    std::vector<std::string> m_keys;                        // line keys, made when first needed
    std::vector<std::pair<long long, long long>> m_scanned; // local minute, wall minute of the walk's firing
    long long m_latestScanned = std::numeric_limits<long long>::min();
    long long m_steadyUntil = std::numeric_limits<long long>::min(); // the offset is known up to this wall minute
    std::size_t m_candidates = 0;
};

} // namespace

std::vector<NextFiring> nextFirings(const std::vector<std::string>& lines, bool twentyFour, const Clock& clock,
                                    WallTime from, const std::vector<Firing>& record, const Skips& skips)
{
    FiringWalk walk(lines, twentyFour, clock, record, skips);
    std::vector<FiringWalk::Met> found(lines.size(), {0, 0, 0, 0, false});
    std::vector<char> seen(lines.size(), 0);
    std::size_t count = 0;
    walk.run(from, kFiringHorizon, [&](const FiringWalk::Met& met) {
        if (!seen[met.index]) {
            seen[met.index] = 1;
            found[met.index] = met;
            ++count;
        }
        return count < walk.candidates();
    });
    std::vector<NextFiring> out;
    out.reserve(count);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (seen[i])
            out.push_back(walk.firingOf(found[i]));
    }
    return out;
}

std::optional<NextFiring> nextFiring(const std::vector<std::string>& lines, bool twentyFour, const Clock& clock,
                                     WallTime from, const std::vector<Firing>& record, const Skips& skips,
                                     SkippedFirings which)
{
    FiringWalk walk(lines, twentyFour, clock, record, skips);
    std::optional<NextFiring> first;
    // Each skip may put a line's firing off by a week.
    const auto horizon =
        kFiringHorizon + std::chrono::weeks(static_cast<long>(std::min<std::size_t>(skips.size(), 52)));
    walk.run(from, horizon, [&](const FiringWalk::Met& met) {
        if (met.skipped && which == SkippedFirings::Excluded)
            return true;
        first = walk.firingOf(met);
        return false;
    });
    return first;
}

} // namespace quelvo
