#include "schedule/firing_skips.h"

#include "platform/settings_keys.h"
#include "schedule/clock_mode.h"

#include <algorithm>

namespace quelvo {

Skips pendingSkips(const Settings& settings, const Clock& clock)
{
    Skips skips = parseSkips(settings.get(setting::kSkips, ""));
    const long long now = minuteNumber(clock.now());
    std::erase_if(skips, [now](const Skip& s) { return s.localMinute < now; });
    return skips;
}

std::vector<NextFiring> nextFiringsNow(const std::vector<std::string>& lines, const Settings& settings,
                                       const Clock& clock)
{
    return nextFirings(lines, matchesIn24HourForm(settings), clock, clock.wallNow(),
                       parseFirings(settings.get(setting::kLastFired, "")), pendingSkips(settings, clock));
}

SkipResult skipFiring(ScheduleFile& file, Settings& settings, const Clock& clock, const NextFiring& firing)
{
    SkipResult result;
    result.firing = firing;
    if (!firing.repeat) {
        const Removal removal = file.deleteevent(firing.line);
        result.io = removal;
        result.removed = removal.ok() && removal.removed > 0;
        return result;
    }
    Skips skips = pendingSkips(settings, clock);
    const Skip skip{lineKey(firing.line), firing.dueMinute};
    if (std::find(skips.begin(), skips.end(), skip) != skips.end()) {
        result.alreadySkipped = true;
        return result;
    }
    skips.push_back(skip);
    result.io = settings.save(setting::kSkips, formatSkips(skips));
    return result;
}

SkipResult skipNext(ScheduleFile& file, Settings& settings, const Clock& clock, const std::vector<std::string>& lines,
                    std::size_t index)
{
    const std::vector<NextFiring> firings = nextFiringsNow(lines, settings, clock);
    const auto it =
        std::find_if(firings.begin(), firings.end(), [index](const NextFiring& f) { return f.index == index; });
    if (it == firings.end())
        return {};
    if (it->skipped)
        return {{}, *it, false, true};
    return skipFiring(file, settings, clock, *it);
}

IoResult clearSkips(Settings& settings)
{
    return settings.save(setting::kSkips, "");
}

} // namespace quelvo
