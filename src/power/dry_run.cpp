#include "power/dry_run.h"

#include "power/power_table.h"

#include <cstdlib>
#include <ostream>
#include <string_view>

namespace quelvo {

DryRunProcessStarter::DryRunProcessStarter(std::ostream& out) : m_out(out)
{}

StartResult DryRunProcessStarter::start(const std::string& commandLine, int showWindow)
{
    // Flushed at once: a watcher of the output must see the request even if the program ends next.
    m_out << describeRun(commandLine, showWindow) << std::endl;
    return {true, {}};
}

DryRunExitRequester::DryRunExitRequester(std::ostream& out) : m_out(out)
{}

ExitResult DryRunExitRequester::requestExit(std::int32_t flags)
{
    m_out << describeShutdownSystem(flags) << std::endl;
    return {true, 0, {}};
}

bool dryRunFromEnvironment()
{
    const char* value = std::getenv("QUELVO_DRY_RUN");
    return value != nullptr && std::string_view(value) == "1";
}

} // namespace quelvo
