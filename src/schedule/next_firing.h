#pragma once

#include "platform/clock.h"
#include "schedule/schedule_checker.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelvo {

/// One firing of a line the user chose not to have: the line's key (lineKey) and the local minute
/// it names (minuteNumber).
struct Skip
{
    std::string key;
    long long localMinute = 0;

    bool operator==(const Skip&) const = default;
};
using Skips = std::vector<Skip>;

/// The skips as stored under `skips` (setting::kSkips): entries separated by ";", each
/// "<line key> <YYYY-MM-DD HH:MM>"; entries that cannot be read are left out.
Skips parseSkips(std::string_view text);
std::string formatSkips(const Skips& skips);

/// True when the firing of the line with that key in that local minute is skipped.
bool isSkipped(const Skips& skips, std::string_view key, long long localMinute);

/// The moment the checker fires one line, as the clock stands now.
struct NextFiring
{
    std::size_t index = 0; // 0-based, in file order
    std::string line;      // as stored
    bool reboot = false;
    bool repeat = false;
    WallTime at{};           // the start of the wall-clock minute it fires in
    LocalTime local{};       // the local clock at `at`
    long long dueMinute = 0; // minuteNumber of the local minute the line names, which a skip names too
    bool skipped = false;    // the user skipped this firing: it is not made, the week after it is

    bool operator==(const NextFiring&) const = default;
};

/// How far ahead a line's firing is looked for: two weeks and a day, time enough for a line that
/// gives up one week's minute to a one-off line or to the night the clocks go forward.
inline constexpr std::chrono::days kFiringHorizon{15};

/// Each line's next firing, in file order, under the checker's rules run on time from `from` on:
/// the minutes that begin at or after `from` in local time, the minutes the clock skips scanned at
/// its change, the repeated hour scanned again, the record of firings (`lastfired`), the first line
/// due in a minute taking it, fired one-off lines removed. A skipped firing is the line's next one,
/// marked. Lines that do not fire within kFiringHorizon are left out.
std::vector<NextFiring> nextFirings(const std::vector<std::string>& lines, bool twentyFour, const Clock& clock,
                                    WallTime from, const std::vector<Firing>& record, const Skips& skips);

/// Whether a skipped firing counts as the next one.
enum class SkippedFirings {
    Excluded, // the next firing that will be made
    Included, // the next firing, made or skipped
};

/// The earliest firing of all lines from `from` on (nextFirings' rules); of one minute, the one
/// the checker meets first. By default skipped firings do not count: it is the one that will be made.
std::optional<NextFiring> nextFiring(const std::vector<std::string>& lines, bool twentyFour, const Clock& clock,
                                     WallTime from, const std::vector<Firing>& record, const Skips& skips,
                                     SkippedFirings which = SkippedFirings::Excluded);

} // namespace quelvo
