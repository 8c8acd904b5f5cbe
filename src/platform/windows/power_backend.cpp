#include "platform/windows/power_backend.h"

#include "platform/windows/exit_windows_requester.h"
#include "platform/windows/folder_process_starter.h"
#include "platform/windows/locations.h"
#include "platform/windows/windows_power.h"
#include "power/dry_run.h"

#include <cstdlib>

namespace quelvo {

PowerBackend::PowerBackend(bool dryRun, DryRunOutput out)
    : m_dryRun(dryRun), m_version(std::make_unique<WindowsVersionQuery>()),
      m_privileges(std::make_unique<WindowsPrivileges>()), m_messages(std::make_unique<WindowsSystemMessages>())
{
    if (dryRun) {
        m_processes = std::make_unique<DryRunProcessStarter>(out);
        m_exit = std::make_unique<DryRunExitRequester>(std::move(out));
    } else {
        m_processes = std::make_unique<FolderProcessStarter>(executableFolder());
        m_exit = std::make_unique<ExitWindowsRequester>();
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
    const std::string path = executablePath();
    return path.empty() ? std::string("quelvo.exe") : path.substr(path.find_last_of("\\/") + 1);
}

} // namespace quelvo
