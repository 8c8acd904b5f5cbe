#pragma once

#include "schedule/user_message.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelvo {

/// Weekday boxes in the editor's order, Monday to Sunday (`chk_mon` .. `chk_sun`).
using DayBoxes = std::array<bool, 7>;

inline constexpr std::string_view kNoDayMessage = "Sorry, you didn`t select a day. Please try again!";
inline constexpr std::string_view kHour24Message =
    "Sorry, the hour you have selected is invalid. Please try again using numbers between 00 and 23 only";
inline constexpr std::string_view kHour12Message =
    "Sorry, the hour you have selected is invalid. Please try again using numbers between 1 and 12 only";
inline constexpr std::string_view kMinuteMessage =
    "Sorry, the minute you have selected is invalid. Please try again using numbers between 0 and 59 only";
inline constexpr std::string_view kAmPmMessage =
    "Sorry, the AM/PM part you have selected is invalid. Please choose AM or PM";
inline constexpr std::string_view kNoActionMessage = "Sorry, you didn`t select shut down OR re boot. Please try again!";

/// What the editor's boxes hold when "&Save" is pressed.
struct EditorInput
{
    DayBoxes days{};
    std::string hour;   // `txt_hr`
    std::string minute; // `txt_min`
    std::string ampm;   // `com_am`
    bool shutdown = false;
    bool reboot = false;
    bool repeat = false;
    bool twentyFour = false; // `24hr` is exactly "True"
};

/// What a save does: either one message and nothing else, or the texts to show and the lines to append.
struct SavePlan
{
    std::optional<UserMessage> error;
    std::string hour;               // two digits, written back into `txt_hr`
    std::string minute;             // two digits, written back into `txt_min`
    std::string ampm;               // "AM"/"PM" in 12-hour mode, the box's text unchanged in 24-hour mode
    std::vector<std::string> lines; // Monday to Sunday, one per checked day

    [[nodiscard]] bool ok() const { return !error.has_value(); }
};

/// Checks the editor's input and composes the lines a save appends; stops at the first failed check.
SavePlan planSave(const EditorInput& input);

/// The integer part (towards minus infinity) of a plain decimal number with blanks around it;
/// nullopt for empty text, letters, exponents, hexadecimal, infinities and the like.
std::optional<long long> readBoxNumber(std::string_view text);

/// The message for a schedule file that could not be written.
UserMessage saveFailedMessage(std::string_view path, std::string_view reason);

/// "Select all": clears all seven when Monday, Tuesday and Wednesday are all checked, else checks all seven.
DayBoxes selectalldays(const DayBoxes& days);

/// The action boxes after a mouse-up over one of them: that one alone is checked.
struct ActionBoxes
{
    bool shutdown = false;
    bool reboot = false;

    bool operator==(const ActionBoxes&) const = default;
};

/// The action pair after a mouse-up over `chk_reboot` (true) or `chk_shutdown` (false).
ActionBoxes actionMouseUp(bool overReboot);

} // namespace quelvo
