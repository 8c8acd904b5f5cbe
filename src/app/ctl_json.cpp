#include "app/ctl.h"
#include "schedule/event_line_check.h"

#include <cstdio>

namespace quelvo {

std::string jsonString(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte >= 0x7f) {
            // Lines are bytes in no known encoding: each byte stands for its Latin-1 character.
            char escaped[8];
            (void)std::snprintf(escaped, sizeof escaped, "\\u%04x", byte); // always fits
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

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
