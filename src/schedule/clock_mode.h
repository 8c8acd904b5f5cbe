#pragma once

#include "platform/clock.h"
#include "platform/settings.h"
#include "schedule/user_message.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelvo {

inline constexpr std::string_view kTo24HourWarning =
    "Please note, if you have previously saved schedules, then switching to 24 hour mode will make them invalid. "
    "Please delete and re set any old schedules now.";
inline constexpr std::string_view kTo12HourWarning =
    "Please note, if you have previously saved schedules, then switching to 12 hour mode will make them invalid. "
    "Please delete and re set any old schedules now.";

/// What a change of "Use 24 hour clock" (`Check1`) does to the setting and the editor's boxes.
struct ClockModeChange
{
    std::optional<UserMessage> warning; // shown first, when the box and the stored mode disagree
    std::string store24hr;              // "True" or "False", for `24hr`
    bool ampmVisible = false;           // `com_am` and its label `Label9`
    std::vector<std::string> hourList;  // replaces the list of `txt_hr`
    std::string hourText;
    std::optional<std::vector<std::string>> ampmList; // 12-hour mode only: replaces the list of `com_am`
    std::optional<std::string> ampmText;              // 12-hour mode only
};

/// The mode new lines are written in: 24-hour only when `24hr` is exactly "True".
bool savesIn24HourForm(const Settings& settings);

/// The mode the checker compares in: 12-hour only when `24hr` is exactly "False" or missing.
bool matchesIn24HourForm(const Settings& settings);

/// The start of the messages for settings that exist but cannot be read, so that the clock mode
/// is not known; what it means for the program and the reason follow.
inline constexpr std::string_view kClockModeUnreadableText =
    "Sorry, the clock mode (12 or 24 hour) could not be read from the settings";

/// Why a new line is not written: the settings exist but cannot be read, so the form it would
/// take is not known; nullopt when they can be read (or there are none yet).
std::optional<UserMessage> unknownSavingMode(const Settings& settings);

/// The mode the checker compares in, never guessed: read from the settings whenever they can be
/// read, the last mode read while they cannot, none before one was ever read.
class ClockModeSource final
{
public:
    explicit ClockModeSource(const Settings& settings);

    struct Reading
    {
        std::optional<bool> twentyFour;     // nullopt: never read, nothing may be matched
        std::optional<std::string> failure; // said once per spell of unreadable settings, without waiting
    };
    /// Reads the mode now; a failure is reported once until a good reading ends it.
    Reading read();

private:
    const Settings& m_settings;
    std::optional<bool> m_last;
    bool m_failing = false;
};

/// `setclockmode`: the box's new state, `24hr` as stored before (read with default "False") and the time now.
ClockModeChange setclockmode(bool checked, std::string_view stored24hr, const LocalTime& now);

/// First start (`24hr` read with default "" gave ""): true when the user's AM/PM designator says 24-hour,
/// so "True" is to be stored; otherwise nothing is stored and the test runs again next start.
bool firstStartPrefers24Hour(std::string_view amPmDesignator);

/// The editor's lists and texts as start-up fills them.
struct EditorPresets
{
    std::vector<std::string> hourList;
    std::string hourText;
    std::vector<std::string> minuteList; // "00" .. "59"
    std::string minuteText;
    std::vector<std::string> ampmList;   // "AM", "PM"
    std::optional<std::string> ampmText; // 12-hour mode only
};

/// Start-up presets of the editor for the stored mode (`24hr` exactly "True") and the time now.
EditorPresets startupPresets(bool twentyFour, const LocalTime& now);

/// The hour list of a mode: "0" .. "23" or "1" .. "12".
std::vector<std::string> hourList(bool twentyFour);

/// The AM/PM list, always exactly these two entries.
std::vector<std::string> ampmList();

} // namespace quelvo
