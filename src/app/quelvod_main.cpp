// quelvod: the machine's schedule (/etc/quelvo) kept by a system service that fires with nobody
// logged in. The core decides; this file builds the real objects around it.
#include "app/machine_service_host.h"
#include "platform/linux/epoll_wake_source.h"
#include "platform/linux/locations.h"
#include "platform/linux/logind_power.h"
#include "platform/linux/machine_bus.h"
#include "platform/linux/policy_store.h"
#include "platform/linux/posix_file_system.h"
#include "platform/linux/settings_store.h"
#include "platform/linux/system_clock.h"
#include "power/dry_run.h"
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

/// The service's messages go to the journal, with the history entry's fields; warnings and
/// countdowns are signals on the system bus, which every user's tray program hears.
class BusHooks final : public ServiceHooks
{
public:
    BusHooks(Parts parts, MachineBus& bus, const Journal& journal) : ServiceHooks(parts), m_bus(bus), m_journal(journal)
    {}

private:
    void log(ServiceLogLevel level, const std::string& message, const HistoryEntry* entry) override
    {
        const int priority = level == ServiceLogLevel::Error    ? LOG_ERR
                             : level == ServiceLogLevel::Notice ? LOG_NOTICE
                                                                : LOG_INFO;
        if (entry == nullptr) {
            m_journal.write(priority, message);
            return;
        }
        m_journal.write(priority, message,
                        {"QUELVO_LINE=" + entry->line,
                         "QUELVO_OUTCOME=" + std::string(historyOutcomeName(entry->outcome)),
                         "QUELVO_WHO=" + entry->who});
    }
    void announceWarning(const NextFiring& firing, const WarningNotice& notice) override
    {
        m_bus.warning({firing.line, firing.reboot, firing.at, notice.title, notice.body});
    }
    void announceCountdown(const std::string& line, bool reboot, int seconds) override
    {
        m_bus.countdownStarted(line, reboot, seconds);
    }
    void announceEnded(HistoryOutcome outcome, const std::string& who) override
    {
        m_bus.countdownEnded(historyOutcomeName(outcome), who);
    }

    MachineBus& m_bus;
    const Journal& m_journal;
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

int runService(const ServiceOptions& options)
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
    BusHooks hooks({.power = *power, .history = history, .clock = clock, .dryRun = options.dryRun}, machineBus,
                   journal);
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
    // The administrator's policy lies beside the schedule, in the folder watched.
    const PolicyStore policy(fs, machinePolicyPath(options.root), config);
    MachineService(scheduler, status, [&] { return hooks.adoptPolicy(policy.read(), policy.place()); }).run();
    (void)sd_notify(0, "STOPPING=1");
    return 0;
}

} // namespace

} // namespace quelvo

int main(int argc, char** argv)
{
    using namespace quelvo;
    const auto parsed =
        parseServiceOptions(std::vector<std::string>(argv + 1, argv + argc), "quelvod", kUsage, false,
                            [](const std::string& path) { return std::filesystem::absolute(path).string(); });
    if (const int* status = std::get_if<int>(&parsed))
        return *status;
    try {
        return runService(std::get<ServiceOptions>(parsed));
    } catch (const std::exception& error) {
        // systemd restarts the service; the reason is in the journal through standard error.
        std::cerr << "quelvod: " << error.what() << '\n';
        return 1;
    }
}
