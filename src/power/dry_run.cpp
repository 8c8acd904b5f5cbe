#include "power/dry_run.h"

#include "power/power_table.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace quelvo {

DryRunOutput standardOutputLines()
{
    return [](const std::string& line) {
        std::fputs(line.c_str(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    };
}

DryRunProcessStarter::DryRunProcessStarter(DryRunOutput out) : m_out(std::move(out))
{}

StartResult DryRunProcessStarter::start(const std::string& commandLine, int showWindow)
{
    m_out(describeRun(commandLine, showWindow));
    return {true, {}};
}

DryRunExitRequester::DryRunExitRequester(DryRunOutput out) : m_out(std::move(out))
{}

ExitResult DryRunExitRequester::requestExit(std::int32_t flags)
{
    m_out(describeShutdownSystem(flags));
    return {true, 0, {}};
}

bool dryRunFromEnvironment()
{
    const char* value = std::getenv("QUELVO_DRY_RUN");
    return value != nullptr && std::string_view(value) == "1";
}

} // namespace quelvo
