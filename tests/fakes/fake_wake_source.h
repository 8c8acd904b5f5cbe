#pragma once

#include "fakes/fake_clock.h"
#include "platform/wake_source.h"

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace quelvo::test {

/// A wake source played from a script: each wait runs the next step, which may change the world
/// (the clock, the files) before it says why the service woke. When the script runs out it says Stop.
class FakeWakeSource final : public WakeSource
{
public:
    /// One wake-up, given the moment the service asked to sleep until (none: no timer).
    using Step = std::function<WakeCause(std::optional<WallTime> at)>;

    WakeCause wait(std::optional<WallTime> at) override
    {
        asked.push_back(at);
        if (steps.empty())
            return WakeCause::Stop;
        const Step step = steps.front();
        steps.pop_front();
        return step(at);
    }

    /// A step where the timer runs out: the clock reaches the moment asked for, which must be one.
    static Step timer(FakeClock& clock)
    {
        return [&clock](std::optional<WallTime> at) {
            clock.advance(std::chrono::ceil<std::chrono::milliseconds>(at.value() - clock.wallNow()));
            return WakeCause::Timer;
        };
    }

    std::deque<Step> steps;
    std::vector<std::optional<WallTime>> asked; // every wait's moment, in order
};

} // namespace quelvo::test
