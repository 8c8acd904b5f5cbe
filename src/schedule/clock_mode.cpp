#include "schedule/clock_mode.h"

#include "platform/settings_keys.h"
#include "schedule/event_line.h"

namespace quelvo {

bool savesIn24HourForm(const Settings& settings)
{
    return readFlag(settings, setting::kTwentyFour, false);
}

bool matchesIn24HourForm(const Settings& settings)
{
    return settings.get(setting::kTwentyFour.key, setting::kTwentyFour.off) != setting::kTwentyFour.off;
}

std::optional<UserMessage> unknownSavingMode(const Settings& settings)
{
    const IoResult state = settings.readState();
    if (state.ok())
        return std::nullopt;
    return UserMessage{std::string(kErrorTitle),
                       std::string(kClockModeUnreadableText) + ", so the event was not saved: " + state.error,
                       MessageIcon::Stop};
}

ClockModeSource::ClockModeSource(const Settings& settings) : m_settings(settings)
{}

ClockModeSource::Reading ClockModeSource::read()
{
    // An unreadable store answers with the default: a value counts only when the store could be
    // read both before and after it was asked, so a change in between is not taken for the mode.
    const IoResult before = m_settings.readState();
    const bool twentyFour = matchesIn24HourForm(m_settings);
    const IoResult after = m_settings.readState();
    if (before.ok() && after.ok()) {
        m_last = twentyFour;
        m_failing = false;
        return {m_last, std::nullopt};
    }
    Reading reading{m_last, std::nullopt};
    if (m_failing)
        return reading;
    m_failing = true;
    const std::string reason = !before.ok() ? before.error : after.error;
    const std::string meaning = !m_last   ? ", so no event fires until it can be read: "
                                : *m_last ? "; events are matched in the 24 hour mode read before: "
                                          : "; events are matched in the 12 hour mode read before: ";
    reading.failure = std::string(kClockModeUnreadableText) + meaning + reason;
    return reading;
}

namespace {

std::string twoDigits(int value)
{
    return {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}

int hour12(int hour24)
{
    return hour24 % 12 == 0 ? 12 : hour24 % 12;
}

std::string ampmOf(const LocalTime& t)
{
    return t.hour < 12 ? "AM" : "PM";
}

} // namespace

std::vector<std::string> hourList(bool twentyFour)
{
    std::vector<std::string> list;
    const int first = twentyFour ? 0 : 1;
    const int last = twentyFour ? 23 : 12;
    for (int h = first; h <= last; ++h)
        list.push_back(std::to_string(h));
    return list;
}

std::vector<std::string> ampmList()
{
    return {"AM", "PM"};
}

ClockModeChange setclockmode(bool checked, std::string_view stored24hr, const LocalTime& now)
{
    ClockModeChange change;
    if (checked && stored24hr == setting::kTwentyFour.off)
        change.warning = UserMessage{std::string(kWarningTitle), std::string(kTo24HourWarning)};
    else if (!checked && stored24hr == setting::kTwentyFour.on)
        change.warning = UserMessage{std::string(kWarningTitle), std::string(kTo12HourWarning)};

    change.store24hr = flagText(setting::kTwentyFour, checked);
    change.ampmVisible = !checked;
    change.hourList = hourList(checked);
    if (checked) {
        change.hourText = twoDigits(now.hour);
        return change;
    }
    change.hourText = std::to_string(hour12(now.hour));
    // The list is replaced, never added to, so repeated switches leave exactly two entries.
    change.ampmList = ampmList();
    change.ampmText = ampmOf(now);
    return change;
}

bool firstStartPrefers24Hour(std::string_view amPmDesignator)
{
    // Only the first two characters of the designator take part, as in a time text like "09:30 AM".
    const std::string twoChars = toLowerAscii(amPmDesignator.substr(0, 2));
    return twoChars != "am" && twoChars != "pm";
}

EditorPresets startupPresets(bool twentyFour, const LocalTime& now)
{
    EditorPresets presets;
    presets.hourList = hourList(twentyFour);
    presets.hourText = twentyFour ? twoDigits(now.hour) : std::to_string(hour12(now.hour));
    for (int m = 0; m < 60; ++m)
        presets.minuteList.push_back(twoDigits(m));
    presets.minuteText = twoDigits(now.minute);
    presets.ampmList = ampmList();
    if (!twentyFour)
        presets.ampmText = ampmOf(now);
    return presets;
}

} // namespace quelvo
