#include "platform/linux/power_backend.h"

#include "platform/linux/folder_process_starter.h"
#include "platform/linux/linux_power.h"
#include "platform/linux/locations.h"
#include "platform/linux/logind_exit_requester.h"
#include "power/dry_run.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace quelvo {

PowerBackend::PowerBackend(bool dryRun, DryRunOutput out)
    : m_dryRun(dryRun), m_version(std::make_unique<LinuxVersionQuery>()),
      m_privileges(std::make_unique<LinuxPrivileges>()), m_messages(std::make_unique<LinuxSystemMessages>())
{
    if (dryRun) {
        m_processes = std::make_unique<DryRunProcessStarter>(out);
        m_exit = std::make_unique<DryRunExitRequester>(std::move(out));
    } else {
        m_processes = std::make_unique<FolderProcessStarter>(executableFolder());
        m_exit = std::make_unique<LogindExitRequester>(currentSessionId());
    }
    m_probe = std::make_unique<VersionProbe>(*m_version);
    m_shutdown = std::make_unique<ShutdownService>(
        *m_probe, ShutdownPlatform{*m_privileges, *m_privileges, *m_exit, *m_messages}, executableFileName());
    m_commands = std::make_unique<PowerCommands>(*m_probe, *m_processes, *m_shutdown);
}

PowerBackend::~PowerBackend() = default;

std::unique_ptr<PowerBackend> makePowerBackend(bool dryRun)
{
    return std::make_unique<PowerBackend>(dryRun, standardOutputLines());
}

bool dryRunFromEnvironment()
{
    const char* value = std::getenv("QUELVO_DRY_RUN");
    return value != nullptr && std::string(value) == "1";
}

std::string executableFileName()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return "quelvo";
    const std::string path(buffer, static_cast<std::size_t>(n));
    return path.substr(path.find_last_of('/') + 1);
}

} // namespace quelvo
