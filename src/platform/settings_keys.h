#pragma once

#include "platform/settings.h"

#include <optional>
#include <string_view>

namespace quelvo {

/// A setting that holds one of two texts: `on` when the option is set, `off` when it is not.
struct FlagKey
{
    std::string_view key;
    std::string_view on;
    std::string_view off;
};

/// A setting that holds whole minutes between `least` and `most`; `def` when it is missing or not a number.
struct MinutesKey
{
    std::string_view key;
    int least = 0;
    int most = 0;
    int def = 0;
};

/// Every name the program stores a setting under, and the texts of its flags; nowhere else.
namespace setting {

/// The clock mode new lines are written in; missing until start-up has looked at the user's clock.
inline constexpr FlagKey kTwentyFour{"24hr", "True", "False"};
/// "Forced shut down".
inline constexpr FlagKey kForced{"forced", "True", "False"};
/// The start-up delay.
inline constexpr FlagKey kPause{"pause", "True", "False"};
/// The window was left hidden in the notification area.
inline constexpr FlagKey kHide{"hide", "1", "0"};
/// Where the main window last stood, in pixels.
inline constexpr std::string_view kX = "x";
inline constexpr std::string_view kY = "y";
/// How often the window was hidden to the tray, which decides whether the hint still shows.
inline constexpr std::string_view kHintRuns = "runs1";
/// The checker's record of firings.
inline constexpr std::string_view kLastFired = "lastfired";
/// Firings the user chose to skip, one local minute of one line each.
inline constexpr std::string_view kSkips = "skips";
/// The firings already warned of, or created too close to warn of.
inline constexpr std::string_view kWarned = "warned";
/// How often each of the machine's postponed events was put off before, one one-off line each.
inline constexpr std::string_view kPostponed = "postponed";
/// How long before an event its warning shows; 0 shows none.
inline constexpr MinutesKey kWarn{"warn", 0, 120, 5};
/// How far "Postpone" puts an event off.
inline constexpr MinutesKey kPostpone{"postpone", 5, 120, 15};
/// The next event is named in the icon's tip.
inline constexpr FlagKey kNextTip{"nexttip", "True", "False"};

/// The flags, for tools that set any of them by name.
inline constexpr FlagKey kFlags[] = {kTwentyFour, kForced, kPause, kHide, kNextTip};

} // namespace setting

/// True when the flag holds its `on` text; `def` decides when it is not stored.
[[nodiscard]] bool readFlag(const Settings& settings, const FlagKey& flag, bool def);

/// The stored text of a flag set to `on`.
[[nodiscard]] std::string_view flagText(const FlagKey& flag, bool on);

/// Stores the flag's `on` or `off` text.
IoResult writeFlag(Settings& settings, const FlagKey& flag, bool on);

/// `minutes` brought into the setting's range.
[[nodiscard]] int clampMinutes(const MinutesKey& setting, long long minutes);

/// The stored minutes, brought into range; nullopt when none are stored or the text is no plain whole
/// number.
[[nodiscard]] std::optional<int> storedMinutes(const Settings& settings, const MinutesKey& setting);

/// The stored minutes, brought into range; the default when none are stored or the text is no
/// plain whole number.
[[nodiscard]] int readMinutes(const Settings& settings, const MinutesKey& setting);

/// Stores the minutes, brought into range first.
IoResult writeMinutes(Settings& settings, const MinutesKey& setting, int minutes);

} // namespace quelvo
