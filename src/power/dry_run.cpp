#include "power/dry_run.h"

#include "power/power_table.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace quelvo {

DryRunOutput standardOutputLines()
{
    return [](const std::string& line) {
        // A report that cannot be written has nowhere else to go.
        (void)std::fputs(line.c_str(), stdout);
        (void)std::fputc('\n', stdout);
        (void)std::fflush(stdout);
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

DryRunReporter::DryRunReporter(DryRunOutput out) : m_out(std::move(out))
{}

void DryRunReporter::trayMenuOpened(const std::string& summary) const
{
    if (m_out)
        m_out("tray: menu " + summary);
}

void DryRunReporter::trayMenuChosen(std::string_view key) const
{
    if (m_out)
        m_out("tray: chose " + std::string(key));
}

void DryRunReporter::countdownOpened(bool reboot) const
{
    if (m_out)
        m_out(reboot ? "countdown: open reboot" : "countdown: open shutdown");
}

void DryRunReporter::warningShown(bool reboot, WallTime at, const Clock& clock) const
{
    if (m_out)
        m_out(std::string(reboot ? "warn: reboot at " : "warn: shutdown at ") + isoLocalTime(clock, at));
}

void DryRunReporter::postponeWritten(const std::string& line) const
{
    if (m_out)
        m_out("postpone: wrote " + line);
}

void DryRunReporter::firingSkipped(const std::string& line, WallTime at, bool removed, const Clock& clock) const
{
    if (m_out)
        m_out(removed ? "skip: removed " + line : "skip: " + line + " at " + isoLocalTime(clock, at));
}

bool dryRunFromEnvironment()
{
    const char* value = std::getenv("QUELVO_DRY_RUN");
    return value != nullptr && std::string_view(value) == "1";
}

} // namespace quelvo
