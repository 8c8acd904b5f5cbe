#pragma once

#include "power/dry_run.h"
#include "power/power_commands.h"

#include <memory>
#include <string>

namespace quelvo {

class VersionQuery;
class ProcessStarter;
class ExitRequester;
class LinuxPrivileges;
class LinuxSystemMessages;

/// The power machinery of a Linux executable, owning its platform objects. In a dry run nothing
/// is started or requested; each request prints one line through `print` instead.
class PowerBackend final
{
public:
    PowerBackend(bool dryRun, DryRunPrinter print);
    ~PowerBackend();
    PowerBackend(const PowerBackend&) = delete;
    PowerBackend& operator=(const PowerBackend&) = delete;

    /// True when requests are only printed.
    [[nodiscard]] bool dryRun() const { return m_dryRun; }
    /// The version probe (on Linux: "unknown", not NT).
    VersionProbe& probe() { return *m_probe; }
    /// ShutdownSystem and its helpers.
    ShutdownService& shutdown() { return *m_shutdown; }
    /// DoShutdown, DoForcedShutdown, DoReboot.
    PowerCommands& commands() { return *m_commands; }

private:
    bool m_dryRun;
    std::unique_ptr<VersionQuery> m_version;
    std::unique_ptr<LinuxPrivileges> m_privileges;
    std::unique_ptr<LinuxSystemMessages> m_messages;
    std::unique_ptr<ProcessStarter> m_processes;
    std::unique_ptr<ExitRequester> m_exit;
    std::unique_ptr<VersionProbe> m_probe;
    std::unique_ptr<ShutdownService> m_shutdown;
    std::unique_ptr<PowerCommands> m_commands;
};

/// The backend every executable uses; a dry run prints on standard output.
std::unique_ptr<PowerBackend> makePowerBackend(bool dryRun);

/// True when QUELVO_DRY_RUN is "1".
bool dryRunFromEnvironment();

/// The running executable's file name, without its folder.
std::string executableFileName();

} // namespace quelvo
