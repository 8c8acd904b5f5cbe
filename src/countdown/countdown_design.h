#pragma once

#include "countdown/countdown.h"

#include <cstdint>
#include <string_view>

namespace quelvo {

/// How a countdown window looks, the same in every face: its name, title, blinking action
/// label and outer size in twips.
struct CountdownDesign
{
    std::string_view windowName; // frm_shutdown, frm_reboot
    std::string_view title;
    std::string_view actionName; // lab_shutdown, lab_reboot
    std::string_view actionText;
    std::string_view secondsDescription; // what a screen reader says the number counts down to
    int widthTwips = 0;
    int heightTwips = 0;
};

inline constexpr CountdownDesign kShutdownDesign{"frm_shutdown",
                                                 "Quelvo: Shut down",
                                                 "lab_shutdown",
                                                 "SHUT DOWN",
                                                 "Seconds before the computer shuts down",
                                                 4500,
                                                 4500};
inline constexpr CountdownDesign kRebootDesign{
    "frm_reboot", "Quelvo: Re boot", "lab_reboot", "RE BOOT", "Seconds before the computer restarts", 4470, 4500};

/// The design of the window of a kind.
constexpr const CountdownDesign& countdownDesign(CountdownKind kind)
{
    return kind == CountdownKind::Shutdown ? kShutdownDesign : kRebootDesign;
}

/// The cancel picture's tip, and the name a screen reader says for it.
inline constexpr std::string_view kCancelTip = "Click here to cancel";
inline constexpr std::string_view kCancelName = "Cancel";
/// What a screen reader says the big number is.
inline constexpr std::string_view kSecondsName = "Seconds left";
/// The cancel picture (`Image2`) and the program's picture (`Image1`), in pixels at 96 dpi.
inline constexpr int kCancelWidthAt96 = 127;
inline constexpr int kCancelHeightAt96 = 29;
inline constexpr int kCountdownIconSideAt96 = 64;
/// The Postpone button, right of the cancel picture and as tall; the two are centred together.
inline constexpr std::string_view kPostponeName = "com_postpone";
inline constexpr int kPostponeWidthAt96 = 127;
inline constexpr int kPostponeGapAt96 = 8;
/// The line under the count that says whose countdown it is.
inline constexpr std::string_view kNoteName = "lab_note";
/// A colour as red, green and blue.
struct RgbColour
{
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};
/// The blinking action label's colour.
inline constexpr RgbColour kActionColour{0xc6, 0x28, 0x28};
/// Arial bold, in points: the action label and the seconds.
inline constexpr double kActionPoints = 24;
inline constexpr double kSecondsPoints = 40;

} // namespace quelvo
