#pragma once

#include "power/dry_run.h"
#include "power/power_commands.h"

#include <memory>
#include <string_view>

namespace quelvo {

/// The operating system's side of the power machinery: one object per system, owning its calls.
class PowerPlatform
{
public:
    virtual ~PowerPlatform() = default;
    virtual const VersionQuery& version() = 0;
    virtual PrivilegeLookup& privileges() = 0;
    virtual TokenOperations& tokens() = 0;
    virtual const SystemMessages& messages() = 0;
    /// Starts programs for real; asked for only when requests are not a dry run.
    virtual std::unique_ptr<ProcessStarter> makeProcessStarter() = 0;
    /// Makes exit requests for real; asked for only when requests are not a dry run.
    virtual std::unique_ptr<ExitRequester> makeExitRequester() = 0;
    /// What the forced shutdown's direct requests carry here; a dry run prints the same.
    [[nodiscard]] virtual ForcedShutdownRequest forcedShutdownRequest() const
    {
        return ForcedShutdownRequest::AsTabled;
    }
};

/// The power machinery of an executable over one system's calls. In a dry run nothing is started
/// or requested; each request gives one line to `out` instead.
class PowerBackend final
{
public:
    PowerBackend(std::unique_ptr<PowerPlatform> platform, bool dryRun, const DryRunOutput& out,
                 std::string_view executableFileName);
    ~PowerBackend();
    PowerBackend(const PowerBackend&) = delete;
    PowerBackend& operator=(const PowerBackend&) = delete;

    /// True when requests are only printed.
    [[nodiscard]] bool dryRun() const { return m_dryRun; }
    /// The version probe.
    VersionProbe& probe() { return m_probe; }
    /// ShutdownSystem and its helpers.
    ShutdownService& shutdown() { return m_shutdown; }
    /// DoShutdown, DoForcedShutdown, DoReboot.
    PowerCommands& commands() { return m_commands; }

private:
    std::unique_ptr<PowerPlatform> m_platform;
    bool m_dryRun;
    std::unique_ptr<ProcessStarter> m_processes;
    std::unique_ptr<ExitRequester> m_exit;
    VersionProbe m_probe;
    ShutdownService m_shutdown;
    PowerCommands m_commands;
};

} // namespace quelvo
