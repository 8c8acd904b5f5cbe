#include "power/dry_run.h"

#include "power/power_table.h"

#include <utility>

namespace quelvo {

DryRunProcessStarter::DryRunProcessStarter(DryRunPrinter print) : m_print(std::move(print))
{}

StartResult DryRunProcessStarter::start(const std::string& commandLine, int showWindow)
{
    m_print(describeRun(commandLine, showWindow));
    return {true, {}};
}

DryRunExitRequester::DryRunExitRequester(DryRunPrinter print) : m_print(std::move(print))
{}

ExitResult DryRunExitRequester::requestExit(std::int32_t flags)
{
    m_print(describeShutdownSystem(flags));
    return {true, 0, {}};
}

} // namespace quelvo
