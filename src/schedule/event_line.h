#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quelvo {

/// Length of every event line the program writes (line end not counted).
inline constexpr std::size_t kEventLineLength = 43;

/// Weekday abbreviations as they stand in event lines, Monday first (the editor's order).
inline constexpr std::string_view kEditorDays[7] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

/// What one new event line says; hour, minute and AM/PM are the texts as they go into the line.
struct EventSpec
{
    std::string_view day; // "Mon" .. "Sun"
    std::string_view hour;
    std::string_view minute;
    std::string_view ampm; // used in the 12-hour form only
    bool reboot = false;
    bool repeat = false;
    bool twentyFourHour = false;
};

/// Composes one event line in the 12- or 24-hour form.
std::string composeEventLine(const EventSpec& event);

/// The three column texts of the visible list; leading blanks are part of them.
struct DisplayRow
{
    std::string timeAndDate;
    std::string action;
    std::string repeated;

    bool operator==(const DisplayRow&) const = default;
};

/// Splits a line into its three columns; nullopt for a line without a comma.
std::optional<DisplayRow> splitForDisplay(std::string_view line);

/// Turns a visible row back into the line it was split from.
std::string rowToLine(const DisplayRow& row);

/// ASCII lower-casing; bytes outside A-Z are kept as they are.
std::string toLowerAscii(std::string_view text);

/// Compares two texts without regard to ASCII letter case.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

} // namespace quelvo
