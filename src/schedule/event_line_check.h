#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quelvo {

/// What a stored event line says, read back by its fixed positions.
struct ParsedEventLine
{
    std::string day;    // "mon" .. "sun"
    std::string hour;   // two digits as stored
    std::string minute; // two digits as stored
    std::string ampm;   // "AM" or "PM"; empty in the 24-hour form
    bool reboot = false;
    bool repeat = false;

    [[nodiscard]] bool twentyFourHour() const { return ampm.empty(); }
    /// The time field as the user reads it: "07:30 AM" or "23:05".
    [[nodiscard]] std::string time() const;
};

/// A line checked against what the editor writes: the event, or why it is not one.
struct EventLineCheck
{
    std::optional<ParsedEventLine> event;
    std::string error; // the editor's message, or what is wrong with the layout
};

/// Accepts exactly the lines the editor could have saved, in either clock form and any letter
/// case (a fired one-off event leaves the other lines lower-cased).
EventLineCheck checkEventLine(std::string_view line);

/// A warning for a line in the other clock form than the checker compares in; empty when the
/// line fires as it reads. `twentyFourMatching` is the checker's mode on this machine.
std::string clockFormWarning(const ParsedEventLine& event, bool twentyFourMatching);

} // namespace quelvo
