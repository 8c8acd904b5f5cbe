#include "schedule/warning_planner.h"

#include "fakes/fake_clock.h"
#include "fakes/fake_settings.h"

#include <gtest/gtest.h>

namespace quelvo {
namespace {

using std::chrono::seconds;
using test::FakeClock;
using test::FakeSettings;
using test::FakeZone;

constexpr const char* kLine = "On Tue at 22:00   , Shut Down, Repeat daily";

// Local time is UTC+1, so a text that showed the UTC hour would be caught.
FakeClock clockInBerlin()
{
    return FakeClock({2026, 12, 8, 12, 0, 0, 2}, FakeZone{60, {}});
}

// 2026-12-08 at that local hour and minute (UTC+1).
WallTime localAt(int hour, int minute)
{
    return FakeZone::utc(2026, 12, 8, hour - 1, minute);
}

std::string bodyOf(const std::optional<WarningNotice>& notice)
{
    return notice ? notice->body : "(none)";
}

TEST(WarningPlanner, WarnsOnceWithinTheWarningTimeInTheUsersClockMode)
{
    struct Case
    {
        const char* note;
        const char* twentyFour; // `24hr`; nullptr: not stored
        int hour, minute;       // the firing, local
        bool reboot;
        int secondsBefore; // now, relative to the firing
        int warn;
        const char* body;
    };
    const Case cases[] = {
        {"the warning minute begins", "True", 22, 0, false, 300, 5,
         "Quelvo will shut down this PC at 22:00 (in 5 minutes)"},
        {"a second early", "True", 22, 0, false, 301, 5, "(none)"},
        {"a restart inside the warning time, rounded up", "True", 7, 30, true, 150, 5,
         "Quelvo will restart this PC at 07:30 (in 3 minutes)"},
        {"the last second: one minute", "True", 22, 0, false, 1, 5,
         "Quelvo will shut down this PC at 22:00 (in 1 minute)"},
        {"the time has come", "True", 22, 0, false, 0, 5, "(none)"},
        {"the time has passed", "True", 22, 0, false, -30, 5, "(none)"},
        {"warn 0 is off", "True", 22, 0, false, 10, 0, "(none)"},
        {"12-hour evening", "False", 22, 0, false, 300, 5, "Quelvo will shut down this PC at 10:00 PM (in 5 minutes)"},
        {"12-hour after midnight", nullptr, 0, 30, true, 60, 5,
         "Quelvo will restart this PC at 12:30 AM (in 1 minute)"},
        {"12-hour noon", "False", 12, 5, false, 240, 5, "Quelvo will shut down this PC at 12:05 PM (in 4 minutes)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.note);
        FakeSettings settings;
        if (c.twentyFour) {
            ASSERT_TRUE(settings.save("24hr", c.twentyFour).ok());
        }
        const FakeClock clock = clockInBerlin();
        WarningPlanner planner(settings, clock);
        const UpcomingEvent event{kLine, c.reboot, localAt(c.hour, c.minute)};
        const auto notice = planner.check(event, event.at - seconds(c.secondsBefore), c.warn);
        EXPECT_EQ(bodyOf(notice), c.body);
        if (notice) {
            EXPECT_EQ(notice->title, "Quelvo");
            // Told once: the same firing a second later gets nothing.
            EXPECT_FALSE(planner.check(event, event.at - seconds(c.secondsBefore - 1), c.warn));
        }
    }
    FakeSettings settings;
    const FakeClock clock = clockInBerlin();
    EXPECT_FALSE(WarningPlanner(settings, clock).check(std::nullopt, localAt(21, 58), 5)) << "nothing scheduled";
}

TEST(WarningPlanner, RecordCarriesOverRestartsAndMarksAndExpiresAfterItsMinute)
{
    FakeSettings settings;
    ASSERT_TRUE(settings.save({{"24hr", "True"}, {"warned", "junk;12 zz;60"}}).ok()); // junk is ignored, not fatal
    const FakeClock clock = clockInBerlin();
    const UpcomingEvent tonight{kLine, false, localAt(22, 0)};

    // A record that cannot be written is kept in memory and written at a later tick.
    settings.failWith = "disk full";
    WarningPlanner first(settings, clock);
    EXPECT_EQ(bodyOf(first.check(tonight, localAt(21, 56), 5)),
              "Quelvo will shut down this PC at 22:00 (in 4 minutes)");
    EXPECT_FALSE(first.check(tonight, localAt(21, 57), 5)) << "the record in memory holds";
    settings.failWith.clear();
    EXPECT_FALSE(first.check(std::nullopt, localAt(21, 57) + seconds(1), 5));
    EXPECT_FALSE(WarningPlanner(settings, clock).check(tonight, localAt(21, 58), 5)) << "restarted: told already";

    // A quick action 3 minutes ahead: the user made it, so no warning; one 10 minutes ahead warns as usual.
    WarningPlanner planner(settings, clock);
    const UpcomingEvent soon{"On Tue at 21:03   , Reboot,    Don't repeat", true, localAt(21, 3)};
    planner.markTold(soon, localAt(21, 0), 5);
    EXPECT_FALSE(WarningPlanner(settings, clock).check(soon, localAt(21, 0) + seconds(1), 5));
    const UpcomingEvent later{"On Tue at 21:10   , Reboot,    Don't repeat", true, localAt(21, 10)};
    planner.markTold(later, localAt(21, 0), 5);
    EXPECT_EQ(bodyOf(WarningPlanner(settings, clock).check(later, localAt(21, 5), 5)),
              "Quelvo will restart this PC at 21:10 (in 5 minutes)");

    // After its minute the entry goes, and the line's firing a week later warns again.
    WarningPlanner nextWeek(settings, clock);
    const UpcomingEvent weekLater{kLine, false, tonight.at + std::chrono::days(7)};
    EXPECT_EQ(bodyOf(nextWeek.check(weekLater, weekLater.at - seconds(300), 5)),
              "Quelvo will shut down this PC at 22:00 (in 5 minutes)");
    EXPECT_EQ(parseToldFirings(settings.get("warned", "")).size(), 1U) << settings.get("warned", "");
}

} // namespace
} // namespace quelvo
