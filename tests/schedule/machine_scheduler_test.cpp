#include "schedule/machine_scheduler.h"

#include "fakes/fake_machine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace quelvo {
namespace {

using std::chrono::minutes;
using Log = std::vector<std::string>;

const std::string kEvents = test::FakeMachine::kEvents;
const std::string kTenDaily = "On Mon at 10:00 AM, Shut Down, Repeat daily";
const std::string kHalfPastOnce = "On Mon at 10:30 AM, Reboot,    Don't repeat";

// A Monday, 2026-12-07, at that UTC time.
WallTime monday(int hour, int minute, int second = 0)
{
    return test::FakeZone::utc(2026, 12, 7, hour, minute, second);
}

TEST(MachineScheduler, AWakeUpALittleLateFiresWhatTheCheckerWouldAndReportsTheRestAsMissed)
{
    const struct
    {
        minutes late; // from 09:30
        Log log;
    } cases[] = {
        {minutes(33), {"countdown shutdown 10"}},
        // Beyond the minutes a late tick scans, the firing is missed, not made.
        {minutes(40), {"missed " + kTenDaily}},
    };
    for (const auto& c : cases) {
        test::FakeMachine machine(kTenDaily + "\r\n" + kHalfPastOnce + "\r\n");
        machine.scheduler->wake();
        machine.clock.advance(c.late);
        machine.scheduler->wake();
        EXPECT_EQ(machine.hooks.log, c.log) << c.late.count();
    }
}

TEST(MachineScheduler, ThePowerRequestsOutcomeIsToldAndWrittenDown)
{
    const struct
    {
        const char* failure; // none: the request succeeded
        bool simulated;
        const char* forced;
        Log log;
    } cases[] = {
        {"denied", false, "True", {"restart forced", "failed " + kHalfPastOnce + ": denied", "ended failed"}},
        {nullptr, true, "False", {"restart", "dry-run " + kHalfPastOnce, "ended dry-run"}},
    };
    for (const auto& c : cases) {
        test::FakeMachine machine(kHalfPastOnce + "\r\n");
        ASSERT_TRUE(machine.config.save("forced", c.forced).ok());
        machine.hooks.power.failed = c.failure != nullptr;
        machine.hooks.power.reason = c.failure ? c.failure : "";
        machine.hooks.power.simulated = c.simulated;
        machine.scheduler->wake();
        machine.clock.advanceMinutes(60);
        machine.scheduler->wake();
        machine.hooks.log.clear();
        machine.sleepUntilWoken();
        EXPECT_EQ(machine.hooks.log, c.log) << c.log.back();
        ASSERT_EQ(machine.hooks.history.size(), 1U);
        EXPECT_EQ(machine.hooks.history[0].origin, HistoryOrigin::Machine);
        EXPECT_EQ(machine.hooks.history[0].time, monday(10, 30, 10));
        EXPECT_TRUE(machine.hooks.history[0].reboot);
    }
}

TEST(MachineScheduler, PeopleAtTheMachineCancelPostponeOrSkipTheCountdownElseTheNextFiring)
{
    using Request = MachineReply (MachineScheduler::*)(const std::string&);
    const auto cancel = &MachineScheduler::cancel;
    const auto postpone = &MachineScheduler::postpone;
    const auto skip = &MachineScheduler::skip;
    enum When { Waiting, Counting, CountingUnwritable }; // at 09:30, or in the 10:00 firing's countdown
    const std::string both = kTenDaily + "\r\n" + kHalfPastOnce + "\r\n";
    const std::string postponed = "On Mon at 10:15 AM, Shut Down, Don't repeat\r\n";
    const Log cancelled{"cancelled " + kTenDaily + " by ann", "ended cancelled by ann"};
    const struct
    {
        std::string lines;
        When when;
        Request request;
        std::string error;
        Log log;
        std::string events;             // events.ini afterwards
        std::optional<WallTime> wakeAt; // the next wake-up afterwards
    } cases[] = {
        {both, Waiting, cancel, "no countdown is running", {}, both, monday(9, 55)},
        {both, Counting, cancel, "", cancelled, both, monday(10, 25)},
        {both, Counting, skip, "", {"skipped " + kTenDaily + " by ann", "ended skipped by ann"}, both, monday(10, 25)},
        // Put off from the moment of the request, warned of in its time.
        {both,
         Counting,
         postpone,
         "",
         {"postponed " + kTenDaily + " by ann", "ended postponed by ann"},
         both + postponed,
         monday(10, 10)},
        // Stopped all the same: a failed write must not leave the machine to go down.
        {both, CountingUnwritable, postpone,
         "the countdown was stopped, but the postponed event could not be written: injected: cannot append to " +
             kEvents,
         cancelled, both, monday(10, 25)},
        // Put off from the firing's own time; the 10:00 firing is left out.
        {both, Waiting, postpone, "", {"postponed " + kTenDaily + " by ann"}, both + postponed, monday(10, 10)},
        // A one-off line has no week after: skipping it takes it away.
        {kHalfPastOnce + "\r\n", Waiting, skip, "", {"skipped " + kHalfPastOnce + " by ann"}, "", std::nullopt},
        {"", Waiting, postpone, "nothing is scheduled to postpone", {}, "", std::nullopt},
        {"", Waiting, skip, "nothing is scheduled to skip", {}, "", std::nullopt},
    };
    for (const auto& c : cases) {
        const std::string what = c.lines + " " + std::to_string(c.when) + " " + c.error;
        test::FakeMachine machine(c.lines);
        machine.scheduler->wake();
        if (c.when != Waiting) {
            machine.sleepUntilWoken(); // the warning
            machine.sleepUntilWoken(); // the firing
            ASSERT_TRUE(machine.scheduler->counting()) << what;
        }
        if (c.when == CountingUnwritable)
            machine.fs.failWrite.insert(kEvents);
        machine.hooks.log.clear();
        const MachineReply reply = ((*machine.scheduler).*c.request)("ann");
        EXPECT_EQ(reply.ok, c.error.empty()) << what;
        EXPECT_EQ(reply.error, c.error) << what;
        EXPECT_EQ(machine.hooks.log, c.log) << what;
        EXPECT_EQ(machine.fs.content(kEvents), c.events) << what;
        EXPECT_EQ(machine.scheduler->nextWake(), c.wakeAt) << what;
        // What the service skips is its own record, never root's configuration.
        EXPECT_EQ(machine.config.get("skips", ""), "") << what;
    }
}

} // namespace
} // namespace quelvo
