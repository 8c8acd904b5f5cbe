#include "platform/windows/power_backend.h"

#include "platform/windows/exit_windows_requester.h"
#include "platform/windows/folder_process_starter.h"
#include "platform/windows/locations.h"
#include "platform/windows/windows_power.h"
#include "power/dry_run.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace quelvo {

PowerBackend::PowerBackend(bool dryRun, DryRunPrinter print)
    : m_dryRun(dryRun), m_version(std::make_unique<WindowsVersionQuery>()),
      m_privileges(std::make_unique<WindowsPrivileges>()), m_messages(std::make_unique<WindowsSystemMessages>())
{
    if (dryRun) {
        m_processes = std::make_unique<DryRunProcessStarter>(print);
        m_exit = std::make_unique<DryRunExitRequester>(std::move(print));
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
    // Flushed at once: a watcher of the output must see the request even if the program ends next.
    // Through stdio, not iostreams: setting those up costs the tray program 300 kB of memory.
    return std::make_unique<PowerBackend>(dryRun, [](const std::string& line) {
        std::fputs(line.c_str(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    });
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
