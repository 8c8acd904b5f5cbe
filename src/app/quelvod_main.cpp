// quelvod: the machine's schedule (/etc/quelvo) kept by a system service that fires with nobody
// logged in. The core decides; this file builds the real objects around it.
#include "platform/linux/epoll_wake_source.h"
#include "platform/linux/locations.h"
#include "platform/linux/logind_power.h"
#include "platform/linux/machine_bus.h"
#include "platform/linux/posix_file_system.h"
#include "platform/linux/settings_store.h"
#include "platform/linux/system_clock.h"
#include "power/dry_run.h"
#include "power/power_table.h"
#include "schedule/history.h"
#include "schedule/machine_scheduler.h"
#include "schedule/machine_service.h"
#include "schedule/machine_settings.h"

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <sys/uio.h>
#include <syslog.h>
#include <systemd/sd-daemon.h>
#include <systemd/sd-journal.h>

namespace quelvo {

namespace {

constexpr const char* kUsage = "usage: quelvod [--dry-run] [--root DIR]\n"
                               "       quelvod --help | --version\n"
                               "\n"
                               "Keeps the machine's schedule in /etc/quelvo, with nobody logged in.\n"
                               "--dry-run    print the power requests instead of making them (also QUELVO_DRY_RUN=1)\n"
                               "--root DIR   /etc/quelvo and /var/lib/quelvo under DIR\n";

struct Options
{
    bool dryRun = false;
    std::string root;
};

// The options, or the exit status when the program is done with them.
std::variant<Options, int> parseOptions(const std::vector<std::string>& args)
{
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help") {
            std::cout << kUsage;
            return 0;
        }
        if (args[i] == "--version") {
            std::cout << "quelvod " << QUELVO_VERSION << '\n';
            return 0;
        }
        if (args[i] == "--dry-run") {
            options.dryRun = true;
        } else if (args[i] == "--root" && i + 1 < args.size() && !args[i + 1].empty()) {
            // Absolute, so the folders watched and the files written are the same ones.
            options.root = std::filesystem::absolute(args[++i]).string();
        } else {
            std::cerr << kUsage;
            return 2;
        }
    }
    options.dryRun = options.dryRun || dryRunFromEnvironment();
    return options;
}

/// Messages to the journal; in the foreground (not started by systemd) to standard error as well.
class Journal final
{
public:
    void write(int priority, const std::string& message, const std::vector<std::string>& fields = {}) const
    {
        std::vector<std::string> lines{"MESSAGE=" + message, "PRIORITY=" + std::to_string(priority),
                                       "SYSLOG_IDENTIFIER=quelvod"};
        lines.insert(lines.end(), fields.begin(), fields.end());
        std::vector<iovec> parts;
        for (std::string& line : lines)
            parts.push_back({line.data(), line.size()});
        // Without a journal there is nowhere else to say it.
        (void)sd_journal_sendv(parts.data(), static_cast<int>(parts.size()));
        if (m_foreground)
            std::cerr << "quelvod: " << message << std::endl;
    }

private:
    bool m_foreground = std::getenv("JOURNAL_STREAM") == nullptr;
};

/// What the service does in the world: signals on the bus, power requests, the history in the
/// state folder and each of its entries in the journal.
struct HookParts
{
    MachineBus& bus;
    ExitRequester& power;
    HistoryFile& history;
    const Clock& clock;
    const Journal& journal;
    bool dryRun = false;
    DryRunReporter reporter{};
};

class ServiceHooks final : public MachineHooks
{
public:
    explicit ServiceHooks(HookParts parts) : m(std::move(parts)) {}

    void warn(const NextFiring& firing, const WarningNotice& notice) override
    {
        m.bus.warning({firing.line, firing.reboot, firing.at, notice.title, notice.body});
        m.reporter.warningShown(firing.reboot, firing.at, m.clock);
        m.journal.write(LOG_NOTICE, notice.title + ": " + notice.body);
    }

    void countdownStarted(const std::string& line, bool reboot, int seconds) override
    {
        m.bus.countdownStarted(line, reboot, seconds);
        m.reporter.countdownOpened(reboot);
        m.journal.write(LOG_NOTICE, std::string(reboot ? "reboot" : "shutdown") + " in " + std::to_string(seconds) +
                                        " seconds: " + line);
    }

    void countdownEnded(HistoryOutcome outcome, const std::string& who) override
    {
        m.bus.countdownEnded(historyOutcomeName(outcome), who);
    }

    PowerOutcome powerAction(bool reboot, bool forced) override
    {
        // As in the tray program, "forced" is the shutdown's: a reboot is always the plain one.
        const std::int32_t flags = reboot ? kExitReboot : kExitPowerOff | (forced ? kExitForce : 0);
        const ExitResult result = m.power.requestExit(flags);
        return {.failed = !result.accepted, .reason = result.message, .simulated = m.dryRun};
    }

    void record(const HistoryEntry& entry) override
    {
        if (const IoResult written = m.history.append(historyJson(entry, m.clock)); !written.ok())
            reportError(written.error);
        const std::string outcome(historyOutcomeName(entry.outcome));
        std::string message = std::string(entry.reboot ? "reboot" : "shutdown") + " \"" + entry.line + "\": " + outcome;
        if (!entry.detail.empty())
            message += " (" + entry.detail + ")";
        if (!entry.who.empty())
            message += " by " + entry.who;
        m.journal.write(entry.outcome == HistoryOutcome::Failed ? LOG_ERR : LOG_INFO, message,
                        {"QUELVO_LINE=" + entry.line, "QUELVO_OUTCOME=" + outcome, "QUELVO_WHO=" + entry.who});
    }

    void reportError(const std::string& text) override { m.journal.write(LOG_ERR, text); }

private:
    HookParts m;
};

/// Tells systemd, before each sleep, which firing the service waits for.
class StatusReport final : public WakeSource
{
public:
    StatusReport(WakeSource& source, MachineScheduler& scheduler, const Clock& clock)
        : m_source(source), m_scheduler(scheduler), m_clock(clock)
    {}

    WakeCause wait(std::optional<WallTime> at) override
    {
        const std::optional<NextFiring> next = m_scheduler.next();
        const std::string status = next ? "next: " + std::string(next->reboot ? "reboot" : "shutdown") + " at " +
                                              isoLocalTime(m_clock, next->at)
                                        : "nothing scheduled";
        if (status != m_told) {
            (void)sd_notify(0, ("STATUS=" + status).c_str());
            m_told = status;
        }
        return m_source.wait(at);
    }

private:
    WakeSource& m_source;
    MachineScheduler& m_scheduler;
    const Clock& m_clock;
    std::string m_told;
};

std::chrono::microseconds watchdogInterval()
{
    std::uint64_t usec = 0;
    return sd_watchdog_enabled(0, &usec) > 0 ? std::chrono::microseconds(usec) : std::chrono::microseconds(0);
}

int runService(const Options& options)
{
    const Journal journal;
    SystemClock clock;
    const std::string configFolder = machineConfigFolder(options.root);
    const std::string stateFolder = machineStateFolder(options.root);

    // Watching starts before the schedule is first read, so no change falls in between.
    EpollWakeSource source({.configFolder = configFolder, .watchdog = watchdogInterval(), .ping = [] {
                                (void)sd_notify(0, "WATCHDOG=1");
                            }});
    BusConnection bus = openSystemBus();
    MachineBus machineBus(bus.get());
    std::unique_ptr<ExitRequester> power;
    if (options.dryRun)
        power = std::make_unique<DryRunExitRequester>(standardOutputLines());
    else
        power = std::make_unique<LogindPower>(bus.get());

    // Root's files stay readable by everybody whatever the service writes.
    PosixFileSystem fs(PosixCalls::system(), kCommandLockWait, FileSharing::ReadableByAll);
    SettingsStore config(fs, joinPath(configFolder, "settings.ini"));
    SettingsStore records(fs, machineRecordsPath(options.root));
    MachineSettings settings(config, records);
    HistoryFile history(fs, stateFolder);
    ServiceHooks hooks({.bus = machineBus,
                        .power = *power,
                        .history = history,
                        .clock = clock,
                        .journal = journal,
                        .dryRun = options.dryRun,
                        .reporter = DryRunReporter(options.dryRun ? standardOutputLines() : DryRunOutput{})});
    MachineScheduler scheduler(fs, configFolder, settings, clock, hooks);

    const std::string refused = machineBus.publish({
        .next = [&scheduler] { return scheduler.next(); },
        .cancel = [&scheduler](const std::string& who) { return scheduler.cancel(who); },
        .postpone = [&scheduler](const std::string& who) { return scheduler.postpone(who); },
        .skip = [&scheduler](const std::string& who) { return scheduler.skip(who); },
    });
    if (!refused.empty()) {
        std::cerr << "quelvod: " << refused << '\n';
        return 1;
    }
    source.add(machineBus);
    (void)sd_notify(0, "READY=1");
    journal.write(LOG_INFO, "keeping the schedule in " + configFolder + (options.dryRun ? " (dry run)" : ""));

    StatusReport status(source, scheduler, clock);
    MachineService(scheduler, status).run();
    (void)sd_notify(0, "STOPPING=1");
    return 0;
}

} // namespace

} // namespace quelvo

int main(int argc, char** argv)
{
    using namespace quelvo;
    const auto parsed = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (const int* status = std::get_if<int>(&parsed))
        return *status;
    try {
        return runService(std::get<Options>(parsed));
    } catch (const std::exception& error) {
        // systemd restarts the service; the reason is in the journal through standard error.
        std::cerr << "quelvod: " << error.what() << '\n';
        return 1;
    }
}
