// quelvosvc: the machine's schedule (%ProgramData%\Quelvo) kept by a Windows service that fires with
// nobody logged on. The core decides; this file builds the real objects around it and answers the
// service control manager.
#include "app/machine_service_host.h"
#include "platform/linux/settings_store.h"
#include "platform/windows/event_log.h"
#include "platform/windows/initiate_shutdown_requester.h"
#include "platform/windows/locations.h"
#include "platform/windows/machine_folder.h"
#include "platform/windows/machine_pipe.h"
#include "platform/windows/policy_store.h"
#include "platform/windows/power_backend.h"
#include "platform/windows/registry_settings.h"
#include "platform/windows/system_clock.h"
#include "platform/windows/waitable_wake_source.h"
#include "platform/windows/wide_text.h"
#include "platform/windows/windows_file_system.h"
#include "platform/windows/windows_power.h"
#include "power/dry_run.h"
#include "power/shutdown_system.h"
#include "schedule/history.h"
#include "schedule/machine_scheduler.h"
#include "schedule/machine_service.h"
#include "schedule/machine_settings.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <windows.h>

namespace quelvo {

namespace {

constexpr const wchar_t* kServiceName = L"quelvosvc";

constexpr const char* kUsage = "usage: quelvosvc [--console] [--dry-run] [--root DIR]\n"
                               "       quelvosvc --help | --version\n"
                               "\n"
                               "Keeps the machine's schedule in %ProgramData%\\Quelvo, with nobody logged on.\n"
                               "--console    run in the foreground instead of under the service control manager\n"
                               "--dry-run    print the power requests instead of making them (also QUELVO_DRY_RUN=1)\n"
                               "--root DIR   the folder under DIR, the settings under a test key of the user's\n";

// Standard C output rather than streams throughout: a static build would carry the streams'
// locale machinery, most of the service's size.
void printError(const std::string& message)
{
    (void)std::fprintf(stderr, "quelvosvc: %s\n", message.c_str());
    (void)std::fflush(stderr);
}

/// The service's messages: all on standard error in the foreground; under the service control
/// manager its history and its errors go to the Application log, the rest nowhere.
class Log final
{
public:
    explicit Log(bool console) : m_console(console)
    {
        if (!console)
            m_events.emplace();
    }

    void info(const std::string& message) const
    {
        if (m_console)
            printError(message);
    }
    void error(const std::string& message) const
    {
        if (m_console)
            printError(message);
        else
            m_events->error(message);
    }
    void history(const std::string& message, const HistoryEntry& entry) const
    {
        if (m_console)
            printError(message);
        else
            m_events->history(entry);
    }

private:
    bool m_console;
    std::optional<EventLog> m_events;
};

/// The machine's power requests: the shutdown privilege enabled through the token calls every
/// Windows program uses, then InitiateShutdownW.
class MachinePower final : public ExitRequester
{
public:
    ExitResult requestExit(std::int32_t flags) override
    {
        try {
            m_shutdown.ShutdownSystem(flags);
            return {true, 0, {}};
        } catch (const ShutdownError& error) {
            return {false, error.number(), error.description()};
        }
    }

private:
    WindowsVersionQuery m_version;
    VersionProbe m_probe{m_version};
    WindowsPrivileges m_privileges;
    WindowsSystemMessages m_messages;
    InitiateShutdownRequester m_exit;
    ShutdownService m_shutdown{
        m_probe,
        {.privileges = m_privileges, .tokens = m_privileges, .exit = m_exit, .messages = m_messages},
        executableFileName()};
};

/// The service's messages go to its log; its warnings and countdowns to every program connected to
/// its pipe.
class LoggedHooks final : public ServiceHooks
{
public:
    LoggedHooks(Parts parts, const Log& log, MachinePipe& pipe) : ServiceHooks(parts), m_log(log), m_pipe(pipe) {}

private:
    void log(ServiceLogLevel level, const std::string& message, const HistoryEntry* entry) override
    {
        if (entry != nullptr)
            m_log.history(message, *entry);
        else if (level == ServiceLogLevel::Error)
            m_log.error(message);
        else
            m_log.info(message);
    }
    void announceWarning(const NextFiring& firing, const WarningNotice& notice) override
    {
        m_pipe.warning({firing.line, firing.reboot, firing.at, notice.title, notice.body});
    }
    void announceCountdown(const std::string& line, bool reboot, int seconds) override
    {
        m_pipe.countdownStarted(line, reboot, seconds);
    }
    void announceEnded(HistoryOutcome outcome, const std::string& who) override
    {
        m_pipe.countdownEnded(historyOutcomeName(outcome), who);
    }

    const Log& m_log;
    MachinePipe& m_pipe;
};

MachineReply answerRequest(MachineScheduler& scheduler, MachineRequest request, const std::string& who)
{
    switch (request) {
    case MachineRequest::Cancel:
        return scheduler.cancel(who);
    case MachineRequest::Postpone:
        return scheduler.postpone(who);
    case MachineRequest::Skip:
        return scheduler.skip(who);
    }
    return {.ok = false, .error = "unknown request"};
}

/// Runs the loop until the wake source says Stop. `started` hears of the wake source once the
/// service is ready, so that the controls can wake it; it is told of nothing (null) before it ends.
int runService(const ServiceOptions& options, const Log& log, const std::function<void(WaitableWakeSource*)>& started)
{
    SystemClock clock;
    const std::string folder = machineConfigFolder(options.root);
    WindowsFileSystem fs(WindowsCalls::system(), kCommandLockWait);
    // The folder gets its access rules before anything is watched or written there: every user
    // reads the schedule, only administrators and the service change it.
    if (runsAsAdministrator()) {
        if (const IoResult secured = secureMachineFolder(fs, folder); !secured.ok())
            log.error(secured.error);
    }
    const RegistryPlace place = machineSettingsPlace(options.root);
    RegistrySettings config(place.root, place.hive);
    SettingsStore records(fs, machineRecordsPath(options.root));
    MachineSettings settings(config, records);
    const RegistryPlace policyPlace = machinePolicyPlace(options.root);
    const PolicyStore policy(policyPlace, config);

    // Watching starts before the schedule is first read, so no change falls in between.
    WaitableWakeSource source({.configFolder = folder,
                               .settingsKey = {.localMachine = place.hive == RegistryHive::LocalMachine,
                                               .path = config.keyPath(kSettingsApp, kSettingsSection)},
                               .policyKey = {.localMachine = policyPlace.hive == RegistryHive::LocalMachine,
                                             .path = policyPlace.root + "\\Quelvo"}});
    std::unique_ptr<ExitRequester> power;
    if (options.dryRun)
        power = std::make_unique<DryRunExitRequester>(standardOutputLines());
    else
        power = std::make_unique<MachinePower>();

    HistoryFile history(fs, machineStateFolder(options.root));
    WindowsPipeClients pipeClients;
    MachinePipe pipe(pipeClients);
    LoggedHooks hooks({.power = *power, .history = history, .clock = clock, .dryRun = options.dryRun}, log, pipe);
    MachineScheduler scheduler(fs, folder, settings, clock, hooks);
    // Only one service keeps the machine's schedule: a second one ends here, before it acts.
    if (const std::string refused = pipe.publish([&scheduler](MachineRequest request, const std::string& who) {
            return answerRequest(scheduler, request, who);
        });
        !refused.empty()) {
        log.error(refused);
        return 1;
    }
    source.add(pipe);

    started(&source);
    log.info("keeping the schedule in " + folder + (options.dryRun ? " (dry run)" : ""));
    // The administrator's policy, read at start and at each change of its key or the schedule's.
    MachineService(scheduler, source, [&] { return hooks.adoptPolicy(policy.read(), policy.place()); }).run();
    started(nullptr);
    return 0;
}

// The wake source the controls and the console's Ctrl+C wake; null while there is none.
std::atomic<WaitableWakeSource*> g_source{nullptr};
ServiceOptions g_options;
SERVICE_STATUS_HANDLE g_status = nullptr;

void reportStatus(DWORD state, DWORD exitCode = NO_ERROR, DWORD waitHint = 0)
{
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    // Controls only while running: before, there is nothing to wake; after, nothing to stop.
    status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN |
                                                               SERVICE_ACCEPT_TIMECHANGE | SERVICE_ACCEPT_POWEREVENT
                                                         : 0;
    status.dwWin32ExitCode = exitCode == NO_ERROR ? NO_ERROR : ERROR_SERVICE_SPECIFIC_ERROR;
    status.dwServiceSpecificExitCode = exitCode;
    status.dwWaitHint = waitHint;
    ::SetServiceStatus(g_status, &status);
}

void wakeFor(WakeCause cause)
{
    if (WaitableWakeSource* source = g_source.load())
        source->signal(cause);
}

DWORD WINAPI controlHandler(DWORD control, DWORD eventType, LPVOID /*eventData*/, LPVOID /*context*/)
{
    switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
        reportStatus(SERVICE_STOP_PENDING, NO_ERROR, 5000);
        wakeFor(WakeCause::Stop);
        return NO_ERROR;
    case SERVICE_CONTROL_TIMECHANGE:
        wakeFor(WakeCause::ClockSet);
        return NO_ERROR;
    case SERVICE_CONTROL_POWEREVENT:
        if (eventType == PBT_APMRESUMEAUTOMATIC)
            wakeFor(WakeCause::Resumed);
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI serviceMain(DWORD /*argc*/, LPWSTR* /*argv*/)
{
    g_status = ::RegisterServiceCtrlHandlerExW(kServiceName, controlHandler, nullptr);
    if (g_status == nullptr)
        return;
    reportStatus(SERVICE_START_PENDING, NO_ERROR, 10000);
    int exitCode = 1;
    const Log log(false);
    try {
        exitCode = runService(g_options, log, [](WaitableWakeSource* source) {
            g_source = source;
            if (source != nullptr)
                reportStatus(SERVICE_RUNNING);
        });
    } catch (const std::exception& error) {
        g_source = nullptr;
        log.error(error.what());
    }
    reportStatus(SERVICE_STOPPED, static_cast<DWORD>(exitCode));
}

BOOL WINAPI consoleHandler(DWORD /*event*/)
{
    wakeFor(WakeCause::Stop);
    return TRUE;
}

int runConsole(const ServiceOptions& options)
{
    ::SetConsoleCtrlHandler(consoleHandler, TRUE);
    try {
        return runService(options, Log(true), [](WaitableWakeSource* source) { g_source = source; });
    } catch (const std::exception& error) {
        g_source = nullptr;
        printError(error.what());
        return 1;
    }
}

} // namespace

} // namespace quelvo

int main(int argc, char** argv)
{
    using namespace quelvo;
    const auto parsed =
        parseServiceOptions(std::vector<std::string>(argv + 1, argv + argc), "quelvosvc", kUsage, true, fullPath);
    if (const int* status = std::get_if<int>(&parsed))
        return *status;
    g_options = std::get<ServiceOptions>(parsed);
    if (g_options.console)
        return runConsole(g_options);

    std::wstring name(kServiceName);
    const SERVICE_TABLE_ENTRYW table[] = {{name.data(), serviceMain}, {nullptr, nullptr}};
    if (::StartServiceCtrlDispatcherW(table) == FALSE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT)
            printError("not started as a service; --console runs it in the foreground");
        else
            printError("the service control manager refused the service (error " + std::to_string(error) + ")");
        return 1;
    }
    return 0;
}
