#include "schedule/warning_planner.h"

#include "platform/settings_keys.h"
#include "schedule/clock_mode.h"
#include "schedule/schedule_checker.h"

#include <algorithm>
#include <cstdio>

namespace quelvo {

namespace {

// More entries than a week of warnings could leave; a record grown past it by hand is cut.
constexpr std::size_t kMaxTold = 256;

long long utcMinuteOf(WallTime t)
{
    return std::chrono::floor<std::chrono::minutes>(t.time_since_epoch()).count();
}

// Whether a firing at `at` lies within the warning time: ahead of `now`, by `warnMinutes` or less.
bool withinWarning(WallTime at, WallTime now, int warnMinutes)
{
    const auto left = at - now;
    return warnMinutes > 0 && left > WallTime::duration::zero() && left <= std::chrono::minutes(warnMinutes);
}

} // namespace

std::string postponeChoiceCaption(int minutes)
{
    return "Postpone " + std::to_string(minutes) + " minutes";
}

std::string clockText(const LocalTime& t, bool twentyFour)
{
    char text[16];
    if (twentyFour) {
        (void)std::snprintf(text, sizeof text, "%02d:%02d", t.hour, t.minute);
    } else {
        const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
        (void)std::snprintf(text, sizeof text, "%02d:%02d %s", hour12, t.minute, t.hour < 12 ? "AM" : "PM");
    }
    return text;
}

std::string warningBody(bool reboot, const LocalTime& at, bool twentyFour, int minutesLeft)
{
    return std::string("Quelvo will ") + (reboot ? "restart" : "shut down") + " this PC at " +
           clockText(at, twentyFour) + " (in " + std::to_string(minutesLeft) +
           (minutesLeft == 1 ? " minute)" : " minutes)");
}

std::vector<ToldFiring> parseToldFirings(std::string_view text)
{
    std::vector<ToldFiring> told;
    for (const std::string& entry : recordEntries(text)) {
        long long seconds = 0;
        char key[17] = {};
        int used = 0;
        if (std::sscanf(entry.c_str(), "%lld %16[0-9a-f]%n", &seconds, key, &used) != 2 ||
            static_cast<std::size_t>(used) != entry.size() || std::string_view(key).size() != 16 || seconds % 60 != 0)
            continue;
        told.push_back({seconds / 60, key});
    }
    return told;
}

std::string formatToldFirings(const std::vector<ToldFiring>& told)
{
    std::string text;
    for (const ToldFiring& firing : told) {
        if (!text.empty())
            text += ';';
        text += std::to_string(firing.utcMinute * 60) + ' ' + firing.key;
    }
    return text;
}

WarningPlanner::WarningPlanner(Settings& settings, const Clock& clock) : m_settings(settings), m_clock(clock)
{}

std::optional<WarningNotice> WarningPlanner::check(const std::optional<UpcomingEvent>& next, WallTime now,
                                                   int warnMinutes)
{
    if (m_savePending)
        save();
    if (!next || !withinWarning(next->at, now, warnMinutes))
        return std::nullopt;
    if (!remember({utcMinuteOf(next->at), lineKey(next->line)}, now))
        return std::nullopt;

    // Rounded up: at 21:55:00.05 a firing at 22:00 is "in 5 minutes", and the last seconds are "1 minute".
    const auto left = std::chrono::ceil<std::chrono::minutes>(next->at - now).count();
    return WarningNotice{std::string(kNoticeTitle),
                         warningBody(next->reboot, m_clock.toLocal(next->at), savesIn24HourForm(m_settings),
                                     static_cast<int>(std::max<long long>(left, 1)))};
}

void WarningPlanner::markTold(const UpcomingEvent& event, WallTime now, int warnMinutes)
{
    if (withinWarning(event.at, now, warnMinutes))
        remember({utcMinuteOf(event.at), lineKey(event.line)}, now);
}

bool WarningPlanner::remember(ToldFiring firing, WallTime now)
{
    if (!m_loaded) {
        // Read once: the record of an earlier run carries over, later changes are this program's own.
        m_told = parseToldFirings(m_settings.get(setting::kWarned, ""));
        m_loaded = true;
    }
    const long long thisMinute = utcMinuteOf(now);
    const auto before = m_told.size();
    std::erase_if(m_told, [&](const ToldFiring& f) { return f.utcMinute < thisMinute; });
    const bool added = std::find(m_told.begin(), m_told.end(), firing) == m_told.end();
    if (added) {
        m_told.push_back(std::move(firing));
        if (m_told.size() > kMaxTold)
            m_told.erase(m_told.begin(), m_told.end() - static_cast<std::ptrdiff_t>(kMaxTold));
    }
    if (added || m_told.size() != before)
        save();
    return added;
}

void WarningPlanner::save()
{
    // The record in memory keeps this run from warning twice; the stored copy only carries it over a
    // restart, so a failed write is tried again at the next tick.
    m_savePending = !m_settings.save(setting::kWarned, formatToldFirings(m_told)).ok();
}

} // namespace quelvo
