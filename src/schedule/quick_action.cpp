#include "schedule/quick_action.h"

#include "schedule/clock_mode.h"

namespace quelvo {

const QuickActionMember* findQuickAction(int minutes, bool reboot)
{
    for (const QuickActionMember& member : kQuickActions) {
        if (member.minutes == minutes && member.reboot == reboot)
            return &member;
    }
    return nullptr;
}

QuickActionFill quickaction(int minutes, bool reboot, bool twentyFour, const Clock& clock)
{
    return quickaction(clock.wallNow(), minutes, reboot, twentyFour, clock);
}

QuickActionFill quickaction(WallTime from, int minutes, bool reboot, bool twentyFour, const Clock& clock)
{
    QuickActionFill fill;
    fill.target = clock.toLocal(from + std::chrono::minutes(minutes));
    const LocalTime& t = fill.target;
    // LocalTime counts from Sunday; the editor's boxes start on Monday.
    fill.days[static_cast<std::size_t>((t.weekday + 6) % 7)] = true;
    if (twentyFour) {
        fill.hour = std::to_string(t.hour);
    } else {
        fill.hour = std::to_string(t.hour % 12 == 0 ? 12 : t.hour % 12);
        fill.ampm = t.hour < 12 ? "AM" : "PM";
    }
    fill.minute = std::to_string(t.minute);
    fill.shutdown = !reboot;
    fill.reboot = reboot;
    fill.message = "This computer will " + std::string(reboot ? "ReBoot" : "ShutDown") + " in " +
                   std::to_string(minutes) + " minutes";
    return fill;
}

EditorInput editorInputFor(const QuickActionFill& fill, std::string_view previousAmpm, bool twentyFour)
{
    EditorInput input;
    input.days = fill.days;
    input.hour = fill.hour;
    input.minute = fill.minute;
    input.ampm = fill.ampm ? *fill.ampm : std::string(previousAmpm);
    input.shutdown = fill.shutdown;
    input.reboot = fill.reboot;
    input.repeat = fill.repeat;
    input.twentyFour = twentyFour;
    return input;
}

OneOffWrite writeOneOff(ScheduleFile& file, const Settings& settings, const Clock& clock, WallTime from, bool reboot,
                        int minutes)
{
    OneOffWrite result;
    if ((result.refusal = unknownSavingMode(settings)))
        return result;
    const bool twentyFour = savesIn24HourForm(settings);
    const QuickActionFill fill = quickaction(from, minutes, reboot, twentyFour, clock);
    // The 12-hour fill brings its AM/PM; the 24-hour form has none, whatever the box showed.
    const SavePlan plan = planSave(editorInputFor(fill, "AM", twentyFour));
    for (const std::string& line : plan.lines) {
        if ((result.io = file.append(line)); !result.io.ok())
            break;
        result.lines.push_back(line);
    }
    return result;
}

} // namespace quelvo
