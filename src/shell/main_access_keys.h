#pragma once

#include <string>
#include <string_view>

namespace quelvo {

/// The main window's access keys (Alt+letter), written as the captions they mark with '&' before the
/// key. No two on one tab page share a key; "Hide to tray" has the same key on every page. The
/// weekday boxes have none: their names share their first letters (Tue and Thu, Sat and Sun and
/// "&Save"), and keys picked from their middles would surprise more than help; Tab reaches them.
/// The quick buttons repeat their captions in both frames, so the frames carry the keys instead.
inline constexpr std::string_view kMainAccessKeys[] = {
    // About
    "&Load with windows",
    "&Add a 20 second time delay when starting up (if you get repeat reboots)",
    "&Hide to tray",
    // Settings ("&Save" carries its own)
    "Select &all",
    "H&our",
    "&Minute",
    "AM/&PM",
    "Shut &down",
    "Re &boot",
    "&Repeat",
    "&Use 24 hour clock",
    "&Forced shut down",
    // Schedules
    "Delete &Selected",
    "Delete &All",
    // Sleep / timed off: the two frames
    "&ShutDown",
    "&ReBoot",
    // Options
    "&Warn before an event (minutes, 0 = off):",
    "Postpone b&y (minutes):",
    "Show the &next event in the icon's tip",
    "&Postpone next",
    "&Skip next",
};

/// The caption marked with its access key from kMainAccessKeys, or unchanged when it has none.
[[nodiscard]] std::string withAccessKey(std::string_view caption);

} // namespace quelvo
