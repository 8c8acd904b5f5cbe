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

CompanionEnd companionEnd(const std::string& commandLine, ProcessEnd end)
{
    if (end.timedOut)
        return {CompanionEnd::Kind::StillRunning, {}};
    if (end.status == 0)
        return {CompanionEnd::Kind::Succeeded, {}};
    return {CompanionEnd::Kind::Failed, "\"" + commandLine + "\" ended with status " + std::to_string(end.status)};
}

} // namespace

PowerCommands::PowerCommands(VersionProbe& probe, ProcessStarter& processes, ShutdownService& shutdown,
                             ForcedShutdownRequest forced)
    : m_probe(probe), m_processes(processes), m_shutdown(shutdown), m_forced(forced)
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
    // A companion that is the whole request is waited for, so that its failure is seen.
    const bool watchCompanion = plan.view().size() == 1;
    // The catch-all cell's forced shutdown carries no force bit, which would make it the plain one;
    // where forcing means getting past applications' inhibitors (logind), the bit asks for that.
    const std::int32_t addedFlags =
        command == PowerCommand::ForcedShutdown && m_forced == ForcedShutdownRequest::IgnoringInhibitors ? kExitForce
                                                                                                         : 0;
    // Every step runs even when an earlier one failed: a companion that cannot be started must
    // not keep the direct request from being made.
    for (const PowerStep& step : plan.view()) {
        if (step.kind == PowerStep::Kind::Run) {
            const std::string commandLine(step.commandLine);
            if (!watchCompanion) {
                const StartResult started = m_processes.start(commandLine, step.showWindow);
                if (!started.started)
                    noteFailure(outcome, "cannot start \"" + commandLine + "\": " + started.reason);
                continue;
            }
            auto watch = std::make_shared<CompanionWatch>();
            const StartResult started = m_processes.startWatched(
                commandLine, step.showWindow, kCompanionWaitMs,
                [watch, commandLine](ProcessEnd end) { watch->ended(companionEnd(commandLine, end)); });
            if (!started.started)
                noteFailure(outcome, "cannot start \"" + commandLine + "\": " + started.reason);
            else if (started.watched)
                outcome.companion = std::move(watch);
            continue;
        }
        try {
            const std::int32_t flags = step.exitFlags | addedFlags;
            if (!m_shutdown.ShutdownSystem(flags))
                noteFailure(outcome, "ShutdownSystem " + std::to_string(flags) + " was not carried out");
        } catch (const ShutdownError& error) {
            noteFailure(outcome, error.description());
        }
    }
    return outcome;
}

PowerOutcome requestPower(PowerCommands& commands, bool reboot, bool forced, bool dryRun)
{
    PowerOutcome outcome = reboot ? commands.DoReboot() : forced ? commands.DoForcedShutdown() : commands.DoShutdown();
    outcome.simulated = dryRun;
    return outcome;
}

} // namespace quelvo
