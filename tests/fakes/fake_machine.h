#pragma once

#include "fakes/fake_clock.h"
#include "fakes/fake_file_system.h"
#include "fakes/fake_settings.h"
#include "fakes/recording_machine_hooks.h"
#include "schedule/machine_scheduler.h"
#include "schedule/machine_settings.h"

#include <optional>
#include <string>
#include <utility>

namespace quelvo::test {

/// The policy the tests' machine keeps unless a test gives another: the defaults, but the warning
/// five minutes ahead.
inline Policy machinePolicy()
{
    Policy policy;
    policy.warnMinutes = 5;
    return policy;
}

/// The machine service's scheduler over fakes, on Monday 2026-12-07 at 09:30 UTC, with `lines` in
/// /etc/quelvo/events.ini, root's settings in `config` and the service's records in `records`.
struct FakeMachine
{
    static constexpr const char* kEvents = "/etc/quelvo/events.ini";

    explicit FakeMachine(const std::string& lines, Policy start = machinePolicy()) : policy(std::move(start))
    {
        fs.put(kEvents, lines);
        scheduler.emplace(fs, "/etc/quelvo", settings, clock, hooks);
        scheduler->setPolicy(policy);
    }
    /// Time passes to the moment the scheduler asked to be woken at, and it wakes.
    void sleepUntilWoken()
    {
        const std::optional<WallTime> wake = scheduler->nextWake();
        clock.advance(std::chrono::ceil<std::chrono::milliseconds>(wake.value() - clock.wallNow()));
        scheduler->wake();
    }

    /// The administrator's policy as a service would read it now.
    Policy policy;
    FakeFileSystem fs;
    FakeSettings config;
    FakeSettings records;
    MachineSettings settings{config, records};
    FakeClock clock;
    RecordingMachineHooks hooks;
    std::optional<MachineScheduler> scheduler;
};

} // namespace quelvo::test
