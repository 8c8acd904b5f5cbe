#include "schedule/schedule_checker.h"

#include "schedule/clock_mode.h"

#include "schedule/event_line.h"
#include "schedule/tray_hint_count.h"

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
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
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

std::optional<DueEvent> findDue(const std::vector<std::string>& lstEvents, const LocalTime& now, bool twentyFour)
{
    const std::string day = daytext(now);
    const std::string time = nowtext(now, twentyFour);
    // Comparing fields without regard to case equals lower-casing each line first, without a copy per line.
    for (const std::string& entry : lstEvents) {
        if (!equalsIgnoringCase(field(entry, 4, 3), day))
            continue;
        if (!equalsIgnoringCase(field(entry, 11, time.size()), time))
            continue;
        DueEvent due;
        due.line = toLowerAscii(entry);
        due.reboot = field(due.line, 21, 10) == "reboot,   ";
        due.repeat = field(due.line, 32, 12) == "repeat daily";
        return due;
    }
    return std::nullopt;
}

ScheduleChecker::ScheduleChecker(CheckerHost& host, Settings& settings, const Clock& clock)
    : m_host(host), m_settings(settings), m_clock(clock)
{}

void ScheduleChecker::checkevents()
{
    const LocalTime now = m_clock.now();
    autoHide();

    const std::string minute = twoDigits(now.minute);
    if (minute == m_lastminute)
        return;
    m_lastminute = minute;
    scan(now);
}

void ScheduleChecker::autoHide()
{
    if (m_settings.get("hide", "0") != "1" || m_autohidden || !m_host.windowIsNormal())
        return;
    m_autohidden = true;
    // A window left in sight counts as no hiding: the hint would point at an icon that is not there.
    if (m_host.hideToTray() && countHideToTray(m_settings))
        m_host.openHint();
}

void ScheduleChecker::scan(const LocalTime& now)
{
    // A program restarted within the minute it fired in (a fast reboot) must not fire that minute again.
    const std::string stamp = minuteStamp(now);
    if (m_settings.get(kLastFiredKey, "") == stamp)
        return;

    const bool twentyFour = matchesIn24HourForm(m_settings);
    const auto due = findDue(m_host.lstEvents(), now, twentyFour);
    if (!due)
        return;

    // Recorded before anything else happens, so a power-off moments later cannot lose it. A failed write
    // still fires: the countdown can be cancelled, a silently skipped shutdown cannot be noticed.
    (void)m_settings.save(kLastFiredKey, stamp);
    if (!due->repeat) {
        // When the removal fails the schedule stays as it was; the user still gets the shutdown asked for.
        (void)m_host.dropevent(due->line);
    }
    m_host.openCountdown(due->reboot);
}

} // namespace quelvo
