#include "schedule/event_line.h"

namespace quelvo {

std::string composeEventLine(const EventSpec& event)
{
    std::string line;
    line.reserve(kEventLineLength);
    line += "On ";
    line += event.day;
    line += " at ";
    line += event.hour;
    line += ':';
    line += event.minute;
    if (event.twentyFourHour) {
        line += "   , ";
    } else {
        line += ' ';
        line += event.ampm;
        line += ", ";
    }
    line += event.reboot ? "Reboot,    " : "Shut Down, ";
    line += event.repeat ? "Repeat daily" : "Don't repeat";
    return line;
}

std::optional<DisplayRow> splitForDisplay(std::string_view line)
{
    const auto p1 = line.find(',');
    if (p1 == std::string_view::npos)
        return std::nullopt;

    DisplayRow row;
    // The first column starts after "On"; a line shorter than that gives an empty text.
    row.timeAndDate = std::string(p1 > 2 ? line.substr(2, p1 - 2) : std::string_view{});
    const auto p2 = line.find(',', p1 + 1);
    if (p2 == std::string_view::npos) {
        // Never written by the program: everything after the comma is the action.
        row.action = std::string(line.substr(p1 + 1));
        return row;
    }
    row.action = std::string(line.substr(p1 + 1, p2 - p1 - 1));
    row.repeated = std::string(line.substr(p2 + 1));
    return row;
}

std::string rowToLine(const DisplayRow& row)
{
    return "On" + row.timeAndDate + "," + row.action + "," + row.repeated;
}

std::string toLowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

} // namespace quelvo
