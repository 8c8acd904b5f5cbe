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

std::chrono::year_month_day date(int y, unsigned m, unsigned d)
{
    return std::chrono::year{y} / std::chrono::month{m} / std::chrono::day{d};
}

Policy withoutCancel()
{
    Policy policy = test::machinePolicy();
    policy.cancel = false;
    return policy;
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
        const char* forced; // root's setting
        bool policyForced;
        Log log;
    } cases[] = {
        {"denied", false, "True", false, {"restart forced", "failed " + kHalfPastOnce + ": denied", "ended failed"}},
        {nullptr, true, "False", false, {"restart", "dry-run " + kHalfPastOnce, "ended dry-run"}},
        {nullptr, false, "False", true, {"restart forced", "fired " + kHalfPastOnce, "ended fired"}},
    };
    for (const auto& c : cases) {
        test::FakeMachine machine(kHalfPastOnce + "\r\n");
        ASSERT_TRUE(machine.config.save("forced", c.forced).ok());
        Policy policy = test::machinePolicy();
        policy.forced = c.policyForced;
        machine.scheduler->setPolicy(policy);
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
    const std::string noCancel = "the administrator does not allow cancelling this countdown";
    const std::string noSkip = "the administrator does not allow skipping this event";
    const std::string unwritable = "the postponed event could not be written: injected: cannot append to " + kEvents;
    const struct
    {
        std::string lines;
        When when;
        Request request;
        std::string error;
        Log log;
        std::string events;             // events.ini afterwards
        std::optional<WallTime> wakeAt; // the next wake-up afterwards
        Policy policy = test::machinePolicy();
    } cases[] = {
        {both, Waiting, cancel, "no countdown is running", {}, both, monday(9, 55)},
        {both, Counting, cancel, "", cancelled, both, monday(10, 25)},
        {both, Counting, skip, "", {"skipped " + kTenDaily + " by ann", "ended skipped by ann"}, both, monday(10, 25)},
        // Where the administrator allows no cancel, the countdown goes on, whatever the request.
        {both, Counting, cancel, noCancel, {}, both, monday(10, 0, 10), withoutCancel()},
        {both, Counting, skip, noCancel, {}, both, monday(10, 0, 10), withoutCancel()},
        {both, Waiting, skip, noSkip, {}, both, monday(9, 55), withoutCancel()},
        {both, CountingUnwritable, postpone, unwritable, {}, both, monday(10, 0, 10), withoutCancel()},
        // Put off from the moment of the request, warned of in its time.
        {both,
         Counting,
         postpone,
         "",
         {"postponed " + kTenDaily + " by ann", "ended postponed by ann"},
         both + postponed,
         monday(10, 10)},
        // Stopped all the same: a failed write must not leave the machine to go down.
        {both, CountingUnwritable, postpone, "the countdown was stopped, but " + unwritable, cancelled, both,
         monday(10, 25)},
        // Put off from the firing's own time; the 10:00 firing is left out.
        {both, Waiting, postpone, "", {"postponed " + kTenDaily + " by ann"}, both + postponed, monday(10, 10)},
        // A one-off line has no week after: skipping it takes it away.
        {kHalfPastOnce + "\r\n", Waiting, skip, "", {"skipped " + kHalfPastOnce + " by ann"}, "", std::nullopt},
        {"", Waiting, postpone, "nothing is scheduled to postpone", {}, "", std::nullopt},
        {"", Waiting, skip, "nothing is scheduled to skip", {}, "", std::nullopt},
    };
    for (const auto& c : cases) {
        const std::string what = c.lines + " " + std::to_string(c.when) + " " + c.error;
        test::FakeMachine machine(c.lines, c.policy);
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
        // A countdown that went on ends in its request.
        if (machine.scheduler->counting()) {
            machine.fs.failWrite.clear();
            machine.sleepUntilWoken();
            EXPECT_EQ(machine.hooks.log.back(), "ended fired") << what;
        }
    }
}

TEST(MachineScheduler, AFiringIsPostponedAsOftenAsThePolicyAllowsItsOneOffEventCarryingTheCount)
{
    const std::string noPostpone = "the administrator does not allow postponing this event";
    const std::string once = "this event may be postponed only once";
    // Taking a one-off line away writes the schedule's lines lower-cased.
    const std::string rewritten = "on mon at 10:00 am, shut down, repeat daily\r\n";
    const struct
    {
        int postpones;
        int minutes;
        // Postponing the next firing twice, then its countdown, then, once that has ended, the next firing.
        std::vector<std::string> errors;
        std::string events; // events.ini afterwards
    } cases[] = {
        {0, 15, {noPostpone, noPostpone, noPostpone, noPostpone}, kTenDaily + "\r\n"},
        // The one-off event is the firing put off: refused too, and its countdown; once it has fired,
        // the week after's firing starts a count of its own, though its one-off line reads the same.
        {1, 20, {"", once, once, ""}, rewritten + "On Mon at 10:20 AM, Shut Down, Don't repeat\r\n"},
        {3,
         5,
         {"", "", "", "this event may be postponed only 3 times"},
         rewritten + "On Mon at 10:15 AM, Shut Down, Don't repeat\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.postpones);
        test::FakeMachine machine(kTenDaily + "\r\n");
        ASSERT_TRUE(machine.config.save("postpone", "30").ok()); // the policy's minutes count
        Policy policy;
        policy.postpones = c.postpones;
        policy.postponeMinutes = c.minutes;
        machine.scheduler->setPolicy(policy);
        machine.scheduler->wake();
        std::vector<std::string> errors;
        errors.push_back(machine.scheduler->postpone("ann").error);
        errors.push_back(machine.scheduler->postpone("ann").error);
        for (int i = 0; i < 10 && !machine.scheduler->counting(); ++i)
            machine.sleepUntilWoken();
        ASSERT_TRUE(machine.scheduler->counting());
        errors.push_back(machine.scheduler->postpone("ann").error);
        if (machine.scheduler->counting())
            machine.sleepUntilWoken();
        errors.push_back(machine.scheduler->postpone("ann").error);
        EXPECT_EQ(errors, c.errors);
        EXPECT_EQ(machine.fs.content(kEvents), c.events);
    }
}

TEST(MachineScheduler, NothingFiresOnAHolidayAndTheFiringIsWrittenDownAsOne)
{
    const std::string both = kTenDaily + "\r\n" + kHalfPastOnce + "\r\n";
    const Log holidays{"holiday " + kTenDaily, "holiday " + kHalfPastOnce};
    // A one-off line on a holiday goes as a fired one does, the rest written lower-cased.
    const std::string rewritten = "on mon at 10:00 am, shut down, repeat daily\r\n";
    const struct
    {
        HolidayRange range;
        Log log;                      // until 10:30
        std::string events;           // events.ini afterwards
        std::optional<WallTime> next; // the firing waited for then
    } cases[] = {
        {{date(2026, 12, 7), date(2026, 12, 7)}, holidays, rewritten, test::FakeZone::utc(2026, 12, 14, 10, 0)},
        // Across a year's end, passed over at once.
        {{date(2026, 12, 5), date(2027, 1, 3)}, holidays, rewritten, test::FakeZone::utc(2027, 1, 4, 10, 0)},
        // Another day's holidays change nothing; the warning comes the policy's minutes ahead.
        {{date(2026, 12, 24), date(2027, 1, 6)},
         {"warn Quelvo will shut down this PC at 10:00 AM (in 20 minutes)", "countdown shutdown 10"},
         both,
         monday(10, 30)},
    };
    for (const auto& c : cases) {
        test::FakeMachine machine(both);
        ASSERT_TRUE(machine.config.save("warn", "5").ok());
        Policy policy;
        policy.holidays = {c.range};
        policy.warnMinutes = 20;
        machine.scheduler->setPolicy(policy);
        machine.scheduler->wake();
        for (int i = 0; i < 10 && !machine.scheduler->counting(); ++i) {
            const std::optional<WallTime> wake = machine.scheduler->nextWake();
            if (!wake || *wake > monday(10, 30))
                break;
            machine.sleepUntilWoken();
        }
        EXPECT_EQ(machine.hooks.log, c.log);
        EXPECT_EQ(machine.fs.content(kEvents), c.events);
        const std::optional<NextFiring> next = machine.scheduler->next();
        EXPECT_EQ(next ? std::optional(next->at) : std::nullopt, c.next);
    }
}

} // namespace
} // namespace quelvo
