#include "power/dry_run.h"

#include "fakes/fake_clock.h"

#include <gtest/gtest.h>

#include <vector>

namespace quelvo {
namespace {

using test::FakeZone;

TEST(DryRunReporter, WarningLineCarriesTheLocalTimeAndItsOffset)
{
    struct Case
    {
        FakeZone zone;
        WallTime at;
        bool reboot;
        const char* line;
    };
    const Case cases[] = {
        {FakeZone::europeBerlin2026(), FakeZone::utc(2026, 12, 8, 21, 0), false,
         "warn: shutdown at 2026-12-08T22:00:00+01:00"},
        {FakeZone::europeBerlin2026(), FakeZone::utc(2026, 7, 1, 5, 30), true,
         "warn: reboot at 2026-07-01T07:30:00+02:00"},
        // West of UTC the local date is still the day before.
        {FakeZone::americaNewYork2026(), FakeZone::utc(2026, 12, 9, 3, 0), false,
         "warn: shutdown at 2026-12-08T22:00:00-05:00"},
        {FakeZone{-570, {}}, FakeZone::utc(2026, 12, 9, 7, 30), true, "warn: reboot at 2026-12-08T22:00:00-09:30"},
        {FakeZone{}, FakeZone::utc(2026, 12, 8, 22, 0, 15), false, "warn: shutdown at 2026-12-08T22:00:15+00:00"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines;
        const DryRunReporter reporter([&](const std::string& line) { lines.push_back(line); });
        reporter.warningShown(c.reboot, c.at, test::FakeClock({}, c.zone));
        EXPECT_EQ(lines, std::vector<std::string>{c.line});
    }
}

} // namespace
} // namespace quelvo
