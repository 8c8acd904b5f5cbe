#pragma once

#include "platform/wake_source.h"
#include "schedule/machine_scheduler.h"
#include "schedule/policy.h"

#include <functional>

namespace quelvo {

/// The machine service's life: it wakes once at start, then sleeps until the scheduler's next moment
/// or until something else wakes it (a clock set, a change of the schedule, of its settings or of the
/// time zone, a resume from sleep, a request), and wakes the scheduler each time, until told to stop.
/// With nothing scheduled it sleeps without a timer. The administrator's policy comes from `policy`,
/// asked at start and whenever the watched configuration changed, so that a change needs no restart;
/// without one the scheduler keeps the policy it has.
class MachineService final
{
public:
    MachineService(MachineScheduler& scheduler, WakeSource& source, std::function<Policy()> policy = {});

    /// Runs until the wake source says Stop.
    void run();

private:
    void readPolicy();

    MachineScheduler& m_scheduler;
    WakeSource& m_source;
    std::function<Policy()> m_policy;
};

} // namespace quelvo
