#include "power/power_commands.h"

namespace quelvo {

namespace {

void noteFailure(PowerOutcome& outcome, const std::string& reason)
{
    if (outcome.failed)
        outcome.reason += "; ";
    outcome.failed = true;
    outcome.reason += reason;
}

} // namespace

PowerCommands::PowerCommands(VersionProbe& probe, ProcessStarter& processes, ShutdownService& shutdown)
    : m_probe(probe), m_processes(processes), m_shutdown(shutdown)
{}

PowerOutcome PowerCommands::DoShutdown()
{
    return run(PowerCommand::Shutdown);
}

PowerOutcome PowerCommands::DoForcedShutdown()
{
    return run(PowerCommand::ForcedShutdown);
}

PowerOutcome PowerCommands::DoReboot()
{
    return run(PowerCommand::Reboot);
}

PowerOutcome PowerCommands::run(PowerCommand command)
{
    PowerOutcome outcome;
    const PowerPlan& plan = powerPlanFor(m_probe.GetWindowsVersionName(), command);
    // Every step runs even when an earlier one failed: a companion that cannot be started must
    // not keep the direct request from being made.
    for (const PowerStep& step : plan.view()) {
        if (step.kind == PowerStep::Kind::Run) {
            const std::string commandLine(step.commandLine);
            const StartResult started = m_processes.start(commandLine, step.showWindow);
            if (!started.started)
                noteFailure(outcome, "cannot start \"" + commandLine + "\": " + started.reason);
            continue;
        }
        try {
            if (!m_shutdown.ShutdownSystem(step.exitFlags))
                noteFailure(outcome, "ShutdownSystem " + std::to_string(step.exitFlags) + " was not carried out");
        } catch (const ShutdownError& error) {
            noteFailure(outcome, error.description());
        }
    }
    return outcome;
}

} // namespace quelvo
