#include "schedule/event_line_check.h"

#include "schedule/event_editor.h"
#include "schedule/event_line.h"

namespace quelvo {

namespace {

constexpr std::string_view kLayoutError =
    "not an event line: 43 characters such as \"On Mon at 07:30 AM, Shut Down, Repeat daily\"";

// Positions (0-based) of the fields that are not numbers.
constexpr std::size_t kDayAt = 3;
constexpr std::size_t kHourAt = 10;
constexpr std::size_t kMinuteAt = 13;
constexpr std::size_t kAmPmAt = 15;
constexpr std::size_t kActionAt = 20;
constexpr std::size_t kRepeatAt = 31;

} // namespace

std::string ParsedEventLine::time() const
{
    std::string text = hour;
    text.append(":").append(minute);
    if (!ampm.empty())
        text.append(" ").append(ampm);
    return text;
}

EventLineCheck checkEventLine(std::string_view line)
{
    if (line.size() != kEventLineLength)
        return {std::nullopt, std::string(kLayoutError)};
    const std::string lower = toLowerAscii(line);
    const std::string_view text = lower;

    ParsedEventLine event;
    EditorInput input;
    for (std::size_t d = 0; d < std::size(kEditorDays); ++d) {
        if (text.substr(kDayAt, 3) == toLowerAscii(kEditorDays[d])) {
            input.days[d] = true;
            event.day = toLowerAscii(kEditorDays[d]);
        }
    }
    const std::string_view ampm = text.substr(kAmPmAt, 3);
    input.twentyFour = ampm == "   ";
    if (!input.twentyFour)
        event.ampm = ampm == " am" ? "AM" : ampm == " pm" ? "PM" : std::string(ampm);
    event.hour = std::string(line.substr(kHourAt, 2));
    event.minute = std::string(line.substr(kMinuteAt, 2));
    event.reboot = text.substr(kActionAt, 11) == "reboot,    ";
    event.repeat = text.substr(kRepeatAt, 12) == "repeat daily";
    input.hour = event.hour;
    input.minute = event.minute;
    input.ampm = event.ampm;
    input.reboot = event.reboot;
    input.shutdown = text.substr(kActionAt, 11) == "shut down, ";
    input.repeat = event.repeat;

    // The editor judges the values; the line it would compose from them judges the layout.
    const SavePlan plan = planSave(input);
    if (!plan.ok())
        return {std::nullopt, plan.error->text};
    if (plan.lines.size() != 1 || toLowerAscii(plan.lines[0]) != lower)
        return {std::nullopt, std::string(kLayoutError)};
    return {std::move(event), {}};
}

std::string clockFormWarning(const ParsedEventLine& event, bool twentyFourMatching)
{
    std::string warning;
    if (twentyFourMatching && !event.twentyFourHour()) {
        warning.append("\"").append(event.time()).append("\" fires at ").append(event.hour).append(":");
        warning.append(event.minute).append(" on this machine's 24-hour clock, whatever its AM/PM");
    } else if (!twentyFourMatching && event.twentyFourHour()) {
        warning.append("\"").append(event.time()).append("\" never fires on this machine's 12-hour clock");
    }
    return warning;
}

} // namespace quelvo
