#include "schedule/machine_scheduler.h"

#include "fakes/fake_clock.h"
#include "fakes/fake_file_system.h"
#include "fakes/fake_settings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace quelvo {
namespace {

using std::chrono::minutes;
using Log = std::vector<std::string>;

const std::string kEvents = "/etc/quelvo/events.ini";
const std::string kTenDaily = "On Mon at 10:00 AM, Shut Down, Repeat daily";
const std::string kHalfPastOnce = "On Mon at 10:30 AM, Reboot,    Don't repeat";

// What the service would have done, one entry per hook called.
struct RecordingHooks final : MachineHooks
{
    void warn(const NextFiring&, const WarningNotice& notice) override { log.push_back("warn " + notice.body); }
    void countdownStarted(const std::string&, bool reboot, int left) override
    {
        log.push_back(std::string("countdown ") + (reboot ? "reboot " : "shutdown ") + std::to_string(left));
    }
    void countdownEnded(HistoryOutcome, const std::string&) override {}
    PowerOutcome powerAction(bool reboot, bool) override
    {
        log.push_back(reboot ? "restart" : "shut down");
        return {};
    }
    void record(const HistoryEntry& entry) override
    {
        if (entry.outcome == HistoryOutcome::Missed)
            log.push_back("missed " + entry.line);
    }
    void reportError(const std::string& text) override { log.push_back("error " + text); }

    Log log;
};

// A Monday, 2026-12-07, at that UTC time.
WallTime monday(int hour, int minute, int second = 0)
{
    return test::FakeZone::utc(2026, 12, 7, hour, minute, second);
}

// The service over fakes, started at Monday 09:30 with its first wake-up made.
struct Service
{
    explicit Service(const std::string& lines)
    {
        fs.put(kEvents, lines);
        scheduler.emplace(fs, "/etc/quelvo", settings, clock, hooks);
        scheduler->wake();
    }
    // Time passes to the moment the scheduler asked to be woken at, and it wakes.
    void sleepUntilWoken()
    {
        const std::optional<WallTime> wake = scheduler->nextWake();
        ASSERT_TRUE(wake);
        clock.advance(std::chrono::ceil<std::chrono::milliseconds>(*wake - clock.wallNow()));
        scheduler->wake();
    }

    test::FakeFileSystem fs;
    test::FakeSettings settings;
    test::FakeClock clock;
    RecordingHooks hooks;
    std::optional<MachineScheduler> scheduler;
};

TEST(MachineScheduler, SleepsUntilTheWarningThenTheFiringAndShutsDownOnceTenSecondsLater)
{
    Service service(kTenDaily + "\r\n");
    MachineScheduler& s = *service.scheduler;
    EXPECT_EQ(s.nextWake(), monday(9, 55)); // the warning, five minutes ahead by default
    service.sleepUntilWoken();
    EXPECT_EQ(service.hooks.log, Log{"warn Quelvo will shut down this PC at 10:00 AM (in 5 minutes)"});
    EXPECT_EQ(s.nextWake(), monday(10, 0));
    service.sleepUntilWoken();
    EXPECT_EQ(s.nextWake(), monday(10, 0, 10));
    service.sleepUntilWoken();
    // Woken again at once (a schedule change, say): nothing is made twice.
    s.wake();
    EXPECT_EQ(service.hooks.log, (Log{"warn Quelvo will shut down this PC at 10:00 AM (in 5 minutes)",
                                      "countdown shutdown 10", "shut down"}));
    EXPECT_FALSE(s.counting());
    // A repeating line stays for the next week.
    EXPECT_EQ(s.nextWake(), monday(9, 55) + std::chrono::days(7));
}

TEST(MachineScheduler, FiresWhatTheCheckerWouldAndReportsTheRestAsMissed)
{
    const struct
    {
        const char* what;
        bool slept; // only the wall clock moved (a resume or a clock set by hand)
        minutes by; // from 09:30
        Log log;
    } cases[] = {
        // A wake-up a few minutes late still fires, as a late tick of the tray program does.
        {"three minutes late", false, minutes(33), {"countdown shutdown 10"}},
        // Beyond the minutes a late tick scans, the firing is missed, not made.
        {"forty minutes late", false, minutes(40), {"missed " + kTenDaily}},
        {"asleep for two hours", true, minutes(120), {"missed " + kTenDaily, "missed " + kHalfPastOnce}},
        {"clock set back", true, minutes(-60), {}},
    };
    for (const auto& c : cases) {
        Service service(kTenDaily + "\r\n" + kHalfPastOnce + "\r\n");
        if (c.slept)
            service.clock.jumpWall(c.by);
        else
            service.clock.advance(c.by);
        service.scheduler->wake();
        EXPECT_EQ(service.hooks.log, c.log) << c.what;
        // A missed one-off line is not taken away: it waits for its next week.
        EXPECT_EQ(service.fs.content(kEvents), kTenDaily + "\r\n" + kHalfPastOnce + "\r\n") << c.what;
    }
}

TEST(MachineScheduler, AChangedScheduleIsWatchedFromTheMinuteAfterItsChange)
{
    Service service("");
    MachineScheduler& s = *service.scheduler;
    EXPECT_EQ(s.nextWake(), std::nullopt); // nothing to wake for: no timer at all
    // Lines for minutes that passed, or began, before the change were never due: neither made nor missed.
    service.clock.advanceSeconds(20 * 60 + 20);
    service.fs.put(kEvents, "On Mon at 09:48 AM, Shut Down, Repeat daily\r\n"
                            "On Mon at 09:50 AM, Shut Down, Repeat daily\r\n"
                            "On Mon at 10:00 AM, Reboot,    Don't repeat\r\n");
    s.wake();
    EXPECT_EQ(s.nextWake(), monday(9, 55));
    service.sleepUntilWoken();
    service.sleepUntilWoken();
    service.clock.advanceSeconds(10);
    s.wake();
    EXPECT_EQ(service.hooks.log,
              (Log{"warn Quelvo will restart this PC at 10:00 AM (in 5 minutes)", "countdown reboot 10", "restart"}));
    // The fired one-off line is gone from the schedule and from the service's wake-ups.
    EXPECT_EQ(s.nextWake(), monday(9, 43) + std::chrono::days(7));
}

} // namespace
} // namespace quelvo
