#include "power/power_backend.h"

namespace quelvo {

namespace {

std::unique_ptr<ProcessStarter> processStarterFor(PowerPlatform& platform, bool dryRun, const DryRunOutput& out)
{
    if (dryRun)
        return std::make_unique<DryRunProcessStarter>(out);
    return platform.makeProcessStarter();
}

std::unique_ptr<ExitRequester> exitRequesterFor(PowerPlatform& platform, bool dryRun, const DryRunOutput& out)
{
    if (dryRun)
        return std::make_unique<DryRunExitRequester>(out);
    return platform.makeExitRequester();
}

} // namespace

PowerBackend::PowerBackend(std::unique_ptr<PowerPlatform> platform, bool dryRun, const DryRunOutput& out,
                           std::string_view executableFileName)
    : m_platform(std::move(platform)), m_dryRun(dryRun), m_processes(processStarterFor(*m_platform, dryRun, out)),
      m_exit(exitRequesterFor(*m_platform, dryRun, out)), m_probe(m_platform->version()),
      m_shutdown(m_probe,
                 ShutdownPlatform{m_platform->privileges(), m_platform->tokens(), *m_exit, m_platform->messages()},
                 executableFileName),
      m_commands(m_probe, *m_processes, m_shutdown, m_platform->forcedShutdownRequest())
{}

PowerBackend::~PowerBackend() = default;

} // namespace quelvo
