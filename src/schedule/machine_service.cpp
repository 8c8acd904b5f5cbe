#include "schedule/machine_service.h"

#include <utility>

namespace quelvo {

MachineService::MachineService(MachineScheduler& scheduler, WakeSource& source, std::function<Policy()> policy)
    : m_scheduler(scheduler), m_source(source), m_policy(std::move(policy))
{}

void MachineService::run()
{
    // Whatever woke the service, the scheduler reads the clock as it stands and decides from that:
    // a timer that came late, a clock set or a resume all end in the same scan of the minutes since.
    readPolicy();
    m_scheduler.wake();
    for (WakeCause cause = m_source.wait(m_scheduler.nextWake()); cause != WakeCause::Stop;
         cause = m_source.wait(m_scheduler.nextWake())) {
        // The policy is watched with the schedule and its settings; other wake-ups leave it as read.
        if (cause == WakeCause::ScheduleChanged)
            readPolicy();
        m_scheduler.wake();
    }
}

void MachineService::readPolicy()
{
    if (m_policy)
        m_scheduler.setPolicy(m_policy());
}

} // namespace quelvo
