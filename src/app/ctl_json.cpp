#include "app/ctl.h"
#include "schedule/event_line_check.h"

namespace quelvo {

std::string jsonEvent(std::string_view line, std::string_view flagName, bool flag, std::optional<bool> reboot)
{
    const EventLineCheck check = checkEventLine(line);
    const ParsedEventLine event = check.event.value_or(ParsedEventLine{});
    if (check.event && !reboot)
        reboot = event.reboot;
    const std::string action = !reboot ? "" : *reboot ? "reboot" : "shutdown";
    return "{\"line\": " + jsonString(line) + ", \"day\": " + jsonString(event.day) +
           ", \"time\": " + jsonString(check.event ? event.time() : "") + ", \"action\": " + jsonString(action) +
           ", \"" + std::string(flagName) + "\": " + (flag ? "true" : "false") + "}";
}

} // namespace quelvo
