#pragma once

#include "platform/clock.h"
#include "platform/settings.h"
#include "schedule/next_firing.h"
#include "schedule/schedule_file.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quelvo {

/// The skips stored under `skips`, without those whose local minute has passed.
Skips pendingSkips(const Settings& settings, const Clock& clock);

/// What skipping a firing did.
struct SkipResult
{
    IoResult io;
    std::optional<NextFiring> firing; // the firing skipped; nullopt: the line does not fire within kFiringHorizon
    bool removed = false;             // a one-off line, taken from the schedule
    bool alreadySkipped = false;      // nothing was written: the firing was skipped before
};

/// Skips one firing. A repeating line's is stored under `skips` (dropping entries whose minute has
/// passed), so that the checker does not make it and the week after fires the line again. A one-off
/// line has no week after: skipping it removes it from the schedule with every copy of it.
SkipResult skipFiring(ScheduleFile& file, Settings& settings, const Clock& clock, const NextFiring& firing);

/// Skips the next firing of the line at `index` (0-based, file order) of `lines`, as the settings,
/// the record of firings and the clock stand now; a firing skipped already is left as it is.
SkipResult skipNext(ScheduleFile& file, Settings& settings, const Clock& clock, const std::vector<std::string>& lines,
                    std::size_t index);

/// Each line's next firing from now, as the stored clock mode, record and skips have it.
std::vector<NextFiring> nextFiringsNow(const std::vector<std::string>& lines, const Settings& settings,
                                       const Clock& clock);

/// Forgets every skip: each line fires at its next minute again.
IoResult clearSkips(Settings& settings);

} // namespace quelvo
