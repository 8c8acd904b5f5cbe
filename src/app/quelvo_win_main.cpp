// The tray program on Windows: builds the real services and hands them to the Win32 windows.
#include "platform/windows/locations.h"
#include "platform/windows/machine_link.h"
#include "platform/windows/mutex_instance.h"
#include "platform/windows/policy_store.h"
#include "platform/windows/power_backend.h"
#include "platform/windows/registry_settings.h"
#include "platform/windows/run_key_autostart.h"
#include "platform/windows/shell_notify_icon.h"
#include "platform/windows/system_clock.h"
#include "platform/windows/system_name.h"
#include "platform/windows/wide_text.h"
#include "platform/windows/window_messenger.h"
#include "platform/windows/windows_file_system.h"
#include "shell/program_options.h"
#include "ui/win32/main_window.h"
#include "ui/win32/splash_window.h"

#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

// A GUI program has no console. Output that was redirected (a pipe, a file) stays where it goes;
// otherwise the lines go to the console of the program that started this one, when there is one.
void useParentConsole()
{
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out != nullptr && out != INVALID_HANDLE_VALUE)
        return;
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        (void)std::freopen("CONOUT$", "w", stdout);
        (void)std::freopen("CONOUT$", "w", stderr);
    }
}

// The arguments as UTF-8, whatever the code page.
std::vector<std::string> arguments()
{
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; wide && i < count; ++i)
        args.push_back(quelvo::toUtf8(wide[i]));
    LocalFree(wide);
    return args;
}

std::string quoted(const std::string& text)
{
    return '"' + text + '"';
}

// The command the Run key starts: this program, on the same folder when it was given one.
std::string startCommand(const std::string& folder)
{
    std::string command = quoted(quelvo::executablePath());
    if (!folder.empty()) {
        const std::wstring given = quelvo::toWide(folder);
        std::wstring full(MAX_PATH, L'\0');
        const DWORD length = GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        full.resize(length > 0 && length < full.size() ? length : 0);
        command += " --folder " + quoted(full.empty() ? folder : quelvo::toUtf8(full));
    }
    return command;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    using namespace quelvo;
    useParentConsole();
    ProgramOptions options;
    options.dryRun = dryRunFromEnvironment();
    if (const auto done = parseProgramOptions(arguments(), options)) {
        std::fputs(done->out.c_str(), stdout);
        std::fputs(done->err.c_str(), stderr);
        return done->status;
    }

    // The window never waits for a lock another program holds: it tries again later.
    WindowsFileSystem fs(WindowsCalls::system(), std::chrono::milliseconds(0));
    RegistrySettings settings;
    SystemClock clock;
    RunKeyAutostart autostart;
    MutexInstance instanceLock;
    WindowMessenger messenger;
    if (options.show)
        messenger.askToShowWindow();
    std::unique_ptr<PowerBackend> power = makePowerBackend(options.dryRun);
    const std::string programPath = startCommand(options.folder);
    if (options.folder.empty())
        options.folder = programFolder();
    (void)fs.makeFolders(options.folder);

    HistoryFile history(fs, historyFolder());
    NotificationArea notificationArea;
    SystemMachineLink machineLink;
    // Root's settings of the machine schedule, which the policy falls back on.
    const RegistryPlace machinePlace = machineSettingsPlace("");
    const RegistrySettings machineConfig(machinePlace.root, machinePlace.hive);
    const MainWindowServices services{
        .settings = settings,
        .fs = fs,
        .clock = clock,
        .autostart = autostart,
        .instance = instanceLock,
        .messenger = messenger,
        .folder = options.folder,
        .programPath = programPath,
        .versionName = power->probe().GetWindowsVersionName(),
        .systemName = WindowsSystemName().displayName(),
        .dayHalves = userDayHalves(),
        .powerAction =
            [&power, dryRun = options.dryRun](CountdownKind kind, bool forced) {
                return requestPower(power->commands(), kind == CountdownKind::Reboot, forced, dryRun);
            },
        .endProgram = [] { PostQuitMessage(0); },
        .trayAvailable = [&notificationArea] { return notificationArea.present(); },
        .dryRunReport = options.dryRun ? standardOutputLines() : DryRunOutput{},
        .history = &history,
        .userName = userName(),
        .machineLink = &machineLink,
        .policy = [&machineConfig] { return PolicyStore(machinePolicyPlace(""), machineConfig).read().policy; },
    };

    std::unique_ptr<win32::MainWindow> mainWindow;
    std::unique_ptr<win32::SplashWindow> splash;
    splash = std::make_unique<win32::SplashWindow>(instance, settings, [&] {
        if (!mainWindow)
            mainWindow = std::make_unique<win32::MainWindow>(instance, services);
        if (!mainWindow->presenter().Form_Load([&splash] { splash->close(); })) {
            // Another copy runs: end without a word, touching nothing. Without any lock the
            // window has said so.
            PostQuitMessage(instanceLock.lockError().empty() ? 0 : 1);
            return;
        }
        mainWindow->show();
    });
    splash->show();

    MSG message{};
    int status = 0;
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            status = got == 0 ? static_cast<int>(message.wParam) : 1;
            break;
        }
        if (mainWindow && mainWindow->preTranslate(message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    mainWindow.reset();
    splash.reset();
    return status;
}
