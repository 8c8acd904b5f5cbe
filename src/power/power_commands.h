#pragma once

#include "platform/process_starter.h"
#include "power/power_outcome.h"
#include "power/power_table.h"
#include "power/shutdown_system.h"
#include "power/version_probe.h"

#include <string>

namespace quelvo {

/// How long a companion that carries a request is waited for.
inline constexpr int kCompanionWaitMs = 10000;

/// What the forced shutdown's direct requests (`ShutdownSystem` steps) carry on a system.
enum class ForcedShutdownRequest {
    AsTabled,          // the table's flags as they are: each family's cell says how hard it forces
    IgnoringInhibitors // plus the force bit: applications' shutdown inhibitors are ignored where permitted
};

/// Shutdown, forced shutdown and reboot, carried out by the command table of the running family.
class PowerCommands final
{
public:
    PowerCommands(VersionProbe& probe, ProcessStarter& processes, ShutdownService& shutdown,
                  ForcedShutdownRequest forced = ForcedShutdownRequest::AsTabled);

    /// Shuts the computer down.
    PowerOutcome DoShutdown();
    /// Shuts the computer down, forcing it off.
    PowerOutcome DoForcedShutdown();
    /// Restarts the computer.
    PowerOutcome DoReboot();
    /// Carries out one command: asks for the family name once, then runs every step of its cell.
    PowerOutcome run(PowerCommand command);

private:
    VersionProbe& m_probe;
    ProcessStarter& m_processes;
    ShutdownService& m_shutdown;
    ForcedShutdownRequest m_forced;
};

/// What a countdown asks for at zero: the reboot, or the shutdown (forced when `forced`). A dry
/// run's outcome says it was only printed.
PowerOutcome requestPower(PowerCommands& commands, bool reboot, bool forced, bool dryRun);

} // namespace quelvo
