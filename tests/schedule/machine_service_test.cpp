#include "schedule/machine_service.h"

#include "fakes/fake_machine.h"
#include "fakes/fake_wake_source.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace quelvo {
namespace {

using std::chrono::days;
using std::chrono::hours;
using Log = std::vector<std::string>;
using Asked = std::vector<std::optional<WallTime>>;

const std::string kTenDaily = "On Mon at 10:00 AM, Shut Down, Repeat daily";
const std::string kHalfPastOnce = "On Mon at 10:30 AM, Reboot,    Don't repeat";
const std::string kBoth = kTenDaily + "\r\n" + kHalfPastOnce + "\r\n";

// A Monday, 2026-12-07, at that UTC time.
WallTime monday(int hour, int minute, int second = 0)
{
    return test::FakeZone::utc(2026, 12, 7, hour, minute, second);
}

TEST(MachineService, SleepsUntilEachWarningFiringAndCountdownEndAndMakesEachFiringOnce)
{
    test::FakeMachine machine(kBoth);
    test::FakeWakeSource source;
    source.steps.assign(6, test::FakeWakeSource::timer(machine.clock));
    // Woken once more at once (a change of the settings, say): nothing is made twice.
    source.steps.push_back([](auto) { return WakeCause::ScheduleChanged; });
    MachineService(*machine.scheduler, source).run();

    // The repeating line waits for its next week; the fired one-off line is gone.
    const WallTime nextWeek = monday(9, 55) + days(7);
    EXPECT_EQ(source.asked, (Asked{monday(9, 55), monday(10, 0), monday(10, 0, 10), monday(10, 25), monday(10, 30),
                                   monday(10, 30, 10), nextWeek, nextWeek}));
    EXPECT_EQ(machine.hooks.log, (Log{"warn Quelvo will shut down this PC at 10:00 AM (in 5 minutes)",
                                      "countdown shutdown 10", "shut down", "fired " + kTenDaily, "ended fired",
                                      "warn Quelvo will restart this PC at 10:30 AM (in 5 minutes)",
                                      "countdown reboot 10", "restart", "fired " + kHalfPastOnce, "ended fired"}));
    EXPECT_EQ(machine.fs.content(test::FakeMachine::kEvents), "on mon at 10:00 am, shut down, repeat daily\r\n");
}

TEST(MachineService, WhateverWakesItActsOnTheClockAsItStandsAndNeverMakesAMissedFiringLate)
{
    // The wall clock moves alone (set, or the machine slept), and the service hears why.
    const auto jump = [](std::chrono::minutes by, WakeCause cause) {
        return [=](test::FakeMachine& m) {
            m.clock.jumpWall(by);
            return cause;
        };
    };
    const struct
    {
        const char* what;
        std::string lines;
        std::function<WakeCause(test::FakeMachine&)> happen; // at 09:30, while the service sleeps
        Log log;
        Asked asked; // the moments it slept until, before and after
    } cases[] = {
        {"clock set forward",
         kBoth,
         jump(hours(2), WakeCause::ClockSet),
         {"missed " + kTenDaily, "missed " + kHalfPastOnce},
         {monday(9, 55), monday(9, 55) + days(7)}},
        {"clock set back", kBoth, jump(-hours(1), WakeCause::ClockSet), {}, {monday(9, 55), monday(9, 55)}},
        {"resumed after sleeping past ten",
         kBoth,
         jump(std::chrono::minutes(40), WakeCause::Resumed),
         {"missed " + kTenDaily},
         {monday(9, 55), monday(10, 25)}},
        // Lines for minutes that passed, or began, before the change were never due: neither made nor missed.
        {"schedule changed",
         "",
         [](test::FakeMachine& m) {
             m.clock.advanceSeconds(20 * 60 + 20);
             m.fs.put(test::FakeMachine::kEvents, "On Mon at 09:48 AM, Shut Down, Repeat daily\r\n"
                                                  "On Mon at 09:50 AM, Shut Down, Repeat daily\r\n" +
                                                      kTenDaily + "\r\n");
             return WakeCause::ScheduleChanged;
         },
         {},
         {std::nullopt, monday(9, 55)}},
        // An hour west: ten o'clock comes an hour later.
        {"zone changed",
         kBoth,
         [](test::FakeMachine& m) {
             m.clock.setZone({-60, {}});
             return WakeCause::ZoneChanged;
         },
         {},
         {monday(9, 55), monday(10, 55)}},
        {"request answered",
         kBoth,
         [](test::FakeMachine& m) {
             m.scheduler->skip("ann");
             return WakeCause::Request;
         },
         {"skipped " + kTenDaily + " by ann"},
         {monday(9, 55), monday(10, 25)}},
        // Read again with the schedule: today is a holiday now, so nothing is warned of; the service
        // wakes at ten only to write the firing down as a holiday.
        {"policy changed",
         kBoth,
         [](test::FakeMachine& m) {
             const auto today = std::chrono::year{2026} / std::chrono::month{12} / std::chrono::day{7};
             m.policy.holidays = {{today, today}};
             return WakeCause::ScheduleChanged;
         },
         {},
         {monday(9, 55), monday(10, 0)}},
    };
    for (const auto& c : cases) {
        test::FakeMachine machine(c.lines);
        test::FakeWakeSource source;
        source.steps.push_back([&](auto) { return c.happen(machine); });
        MachineService(*machine.scheduler, source, [&machine] { return machine.policy; }).run();
        EXPECT_EQ(machine.hooks.log, c.log) << c.what;
        EXPECT_EQ(source.asked, c.asked) << c.what;
        // A missed one-off line is not taken away: it waits for its next week.
        if (c.lines == kBoth) {
            EXPECT_EQ(machine.fs.content(test::FakeMachine::kEvents), kBoth) << c.what;
        }
    }
}

} // namespace
} // namespace quelvo
