#include "app/machine_service_host.h"

#include "power/power_table.h"

#include <cstdio>

namespace quelvo {

std::variant<ServiceOptions, int> parseServiceOptions(const std::vector<std::string>& args, std::string_view program,
                                                      std::string_view usage, bool acceptsConsole,
                                                      AbsolutePath absolute)
{
    // Standard C output rather than streams: a static Windows build would carry the streams'
    // locale machinery, most of the service's size, for these three texts.
    ServiceOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help") {
            (void)std::fwrite(usage.data(), 1, usage.size(), stdout);
            return 0;
        }
        if (args[i] == "--version") {
            (void)std::printf("%.*s %s\n", static_cast<int>(program.size()), program.data(), QUELVO_VERSION);
            return 0;
        }
        if (args[i] == "--console" && acceptsConsole) {
            options.console = true;
        } else if (args[i] == "--dry-run") {
            options.dryRun = true;
        } else if (args[i] == "--root" && i + 1 < args.size() && !args[i + 1].empty()) {
            // Absolute, so the folders watched and the files written are the same ones.
            options.root = absolute(args[++i]);
        } else {
            (void)std::fwrite(usage.data(), 1, usage.size(), stderr);
            return 2;
        }
    }
    options.dryRun = options.dryRun || dryRunFromEnvironment();
    return options;
}

ServiceHooks::ServiceHooks(Parts parts) : m(parts), m_reporter(parts.dryRun ? standardOutputLines() : DryRunOutput{})
{}

void ServiceHooks::warn(const NextFiring& firing, const WarningNotice& notice)
{
    announceWarning(firing, notice);
    m_reporter.warningShown(firing.reboot, firing.at, m.clock);
    log(ServiceLogLevel::Notice, notice.title + ": " + notice.body, nullptr);
}

void ServiceHooks::countdownStarted(const std::string& line, bool reboot, int seconds)
{
    announceCountdown(line, reboot, seconds);
    m_reporter.countdownOpened(reboot);
    log(ServiceLogLevel::Notice,
        std::string(reboot ? "reboot" : "shutdown") + " in " + std::to_string(seconds) + " seconds: " + line, nullptr);
}

void ServiceHooks::countdownEnded(HistoryOutcome outcome, const std::string& who)
{
    announceEnded(outcome, who);
}

PowerOutcome ServiceHooks::powerAction(bool reboot, bool forced)
{
    // As in the tray program, "forced" is the shutdown's: a reboot is always the plain one.
    const std::int32_t flags = reboot ? kExitReboot : kExitPowerOff | (forced ? kExitForce : 0);
    const ExitResult result = m.power.requestExit(flags);
    return {.failed = !result.accepted, .reason = result.message, .simulated = m.dryRun};
}

void ServiceHooks::record(const HistoryEntry& entry)
{
    if (const IoResult written = m.history.append(historyJson(entry, m.clock)); !written.ok())
        reportError(written.error);
    std::string message = std::string(entry.reboot ? "reboot" : "shutdown") + " \"" + entry.line +
                          "\": " + std::string(historyOutcomeName(entry.outcome));
    if (!entry.detail.empty())
        message += " (" + entry.detail + ")";
    if (!entry.who.empty())
        message += " by " + entry.who;
    log(entry.outcome == HistoryOutcome::Failed ? ServiceLogLevel::Error : ServiceLogLevel::Info, message, &entry);
}

void ServiceHooks::reportError(const std::string& text)
{
    log(ServiceLogLevel::Error, text, nullptr);
}

Policy ServiceHooks::adoptPolicy(const PolicyReading& reading, std::string_view place)
{
    if (reading.problems != m_policyProblems) {
        for (const PolicyProblem& problem : reading.problems)
            log(ServiceLogLevel::Error, "policy " + policyProblemLine(place, problem) + "; its default applies",
                nullptr);
        m_policyProblems = reading.problems;
    }
    return reading.policy;
}

} // namespace quelvo
