#pragma once

#include "platform/clock.h"
#include "platform/settings.h"
#include "schedule/event_editor.h"
#include "schedule/schedule_file.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelvo {

/// One of the eight one-click delayed actions.
struct QuickActionMember
{
    std::string_view button;  // Qt object name, `Command3` .. `Command10`
    std::string_view frame;   // "ShutDown" or "ReBoot"
    std::string_view caption; // "5 minutes" ..
    std::string_view tooltip;
    int minutes = 0;
    bool reboot = false;
    std::string_view message; // the confirmation shown in the hint window
};

/// The family, in button order.
inline constexpr std::array<QuickActionMember, 8> kQuickActions = {{
    {"Command3", "ShutDown", "5 minutes", "This will shut down your computer in 5 minutes", 5, false,
     "This computer will ShutDown in 5 minutes"},
    {"Command4", "ShutDown", "15 minutes", "This will shut down your computer in 15 minutes", 15, false,
     "This computer will ShutDown in 15 minutes"},
    {"Command5", "ShutDown", "30 minutes", "This will shut down your computer in 30 minutes", 30, false,
     "This computer will ShutDown in 30 minutes"},
    {"Command6", "ShutDown", "60 minutes", "This will shut down your computer in 60 minutes", 60, false,
     "This computer will ShutDown in 60 minutes"},
    {"Command7", "ReBoot", "5 minutes", "This will re boot your computer in 5 minutes", 5, true,
     "This computer will ReBoot in 5 minutes"},
    {"Command8", "ReBoot", "15 minutes", "This will re boot your computer in 15 minutes", 15, true,
     "This computer will ReBoot in 15 minutes"},
    {"Command9", "ReBoot", "30 minutes", "This will re boot your computer in 30 minutes", 30, true,
     "This computer will ReBoot in 30 minutes"},
    {"Command10", "ReBoot", "60 minutes", "This will re boot your computer in 60 minutes", 60, true,
     "This computer will ReBoot in 60 minutes"},
}};

/// The member with that many minutes and that action; nullptr when the family has none.
const QuickActionMember* findQuickAction(int minutes, bool reboot);

/// What a quick action puts into the editor before it presses "&Save".
struct QuickActionFill
{
    LocalTime target;                // local time of now plus the minutes of real time; seconds play no part
    DayBoxes days{};                 // only the target's weekday, Monday first
    std::string hour;                // plain decimal: 0..23, or 1..12 on the 12-hour clock
    std::string minute;              // plain decimal: 0..59
    std::optional<std::string> ampm; // 12-hour mode only; in 24-hour mode the box keeps its text
    bool repeat = false;             // always cleared: the event is a one-off
    bool shutdown = false;
    bool reboot = false;
    std::string message; // for the hint window after the save
};

/// `quickaction` from one reading of the clock: the target is that many minutes of real time later, in local
/// time, so a daylight-saving change in between moves the clock time, not the delay. `twentyFour` is the
/// state of "Use 24 hour clock" (`Check1`).
QuickActionFill quickaction(int minutes, bool reboot, bool twentyFour, const Clock& clock);

/// As quickaction, counted from the moment `from` instead of now: postponing an event puts it
/// off from its own time.
QuickActionFill quickaction(WallTime from, int minutes, bool reboot, bool twentyFour, const Clock& clock);

/// The editor's input after a quick action's fill, given what the AM/PM box showed before.
EditorInput editorInputFor(const QuickActionFill& fill, std::string_view previousAmpm, bool twentyFour);

/// What writing a postponed action's one-off event did.
struct OneOffWrite
{
    std::optional<UserMessage> refusal; // nothing written: the settings can't say the form of a new line
    IoResult io;                        // the schedule's error when the line could not be appended
    std::vector<std::string> lines;     // the lines appended (one: the target's weekday)

    [[nodiscard]] bool ok() const { return !refusal && io.ok(); }
};

/// Appends a one-off event of that action `minutes` of real time after `from` to the schedule, in
/// the clock form the settings save new lines in.
OneOffWrite writeOneOff(ScheduleFile& file, const Settings& settings, const Clock& clock, WallTime from, bool reboot,
                        int minutes);

} // namespace quelvo
