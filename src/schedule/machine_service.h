#pragma once

#include "platform/wake_source.h"
#include "schedule/machine_scheduler.h"

namespace quelvo {

/// The machine service's life: it wakes once at start, then sleeps until the scheduler's next moment
/// or until something else wakes it (a clock set, a change of the schedule, of its settings or of the
/// time zone, a resume from sleep, a request), and wakes the scheduler each time, until told to stop.
/// With nothing scheduled it sleeps without a timer.
class MachineService final
{
public:
    MachineService(MachineScheduler& scheduler, WakeSource& source);

    /// Runs until the wake source says Stop.
    void run();

private:
    MachineScheduler& m_scheduler;
    WakeSource& m_source;
};

} // namespace quelvo
