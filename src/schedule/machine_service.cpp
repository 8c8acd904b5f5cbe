#include "schedule/machine_service.h"

namespace quelvo {

MachineService::MachineService(MachineScheduler& scheduler, WakeSource& source)
    : m_scheduler(scheduler), m_source(source)
{}

void MachineService::run()
{
    // Whatever woke the service, the scheduler reads the clock as it stands and decides from that:
    // a timer that came late, a clock set or a resume all end in the same scan of the minutes since.
    m_scheduler.wake();
    while (m_source.wait(m_scheduler.nextWake()) != WakeCause::Stop)
        m_scheduler.wake();
}

} // namespace quelvo
