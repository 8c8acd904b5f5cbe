// The tray program: builds the real services and hands them to the windows.
#include "platform/linux/local_socket_messenger.h"
#include "platform/linux/locations.h"
#include "platform/linux/lock_file_instance.h"
#include "platform/linux/posix_file_system.h"
#include "platform/linux/power_backend.h"
#include "platform/linux/status_notifier.h"
#include "platform/linux/system_clock.h"
#include "shell/desktop_autostart.h"
#include "shell/settings_store.h"
#include "ui/app_icon.h"
#include "ui/frm_main.h"
#include "ui/splash_window.h"
#include "ui/sys_tray.h"

#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

const char* const kUsage = "usage: quelvo [--dry-run] [--show] [--folder DIR]\n"
                           "       quelvo --help | --version\n"
                           "\n"
                           "Shuts the computer down or restarts it at the times you chose, from an icon\n"
                           "in the notification area.\n"
                           "\n"
                           "  --dry-run     print every power request instead of making it\n"
                           "                (also QUELVO_DRY_RUN=1)\n"
                           "  --show        when Quelvo already runs, show its main window\n"
                           "  --folder DIR  keep events.ini in DIR instead of the program folder\n";

constexpr int kBuildMainWindowAfterMs = 100;

struct Options
{
    bool dryRun = false;
    bool show = false;
    std::string folder;
};

// Parses the command line before Qt sees it; returns an exit code when the program is done. Printed
// through stdio: no part of this program sets up iostreams, which would cost 300 kB of memory.
std::optional<int> parseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("quelvo %s\n", QUELVO_VERSION);
            return 0;
        }
        if (arg == "--dry-run") {
            options.dryRun = true;
        } else if (arg == "--show") {
            options.show = true;
        } else if (arg == "--folder" && i + 1 < argc) {
            options.folder = argv[++i];
        } else {
            std::fprintf(stderr, "quelvo: unknown option %s\n%s", arg.c_str(), kUsage);
            return 2;
        }
    }
    return std::nullopt;
}

void printLine(const QString& line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

// Dry runs say what the tray menu offers and what was chosen, so a test driving a real
// notification area can check both from outside.
void reportTray(quelvo::SysTray& tray)
{
    QObject::connect(tray.menu(), &QMenu::aboutToShow, &tray,
                     [&tray] { printLine(QStringLiteral("tray: menu ") + tray.menuSummary()); });
    QObject::connect(&tray, &quelvo::SysTray::MenuClick, &tray,
                     [](int, const QString& key) { printLine(QStringLiteral("tray: chose ") + key); });
}

} // namespace

int main(int argc, char** argv)
{
    using namespace quelvo;
    Options options;
    options.dryRun = dryRunFromEnvironment();
    if (const auto done = parseOptions(argc, argv, options))
        return *done;

    // Qt must not take the program's own options for its own.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("quelvo"));
    QApplication::setApplicationVersion(QStringLiteral(QUELVO_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
    applyApplicationIcon();

    PosixFileSystem fs;
    SettingsStore settings(fs, settingsFilePath());
    SystemClock clock;
    // A copy started with its own folder starts with the session on that folder too, wherever the
    // session starts it from.
    std::vector<std::string> autostartArguments;
    if (!options.folder.empty()) {
        std::error_code ignored;
        autostartArguments = {"--folder",
                              std::filesystem::absolute(options.folder, ignored).lexically_normal().string()};
    }
    DesktopAutostart autostart(fs, autostartEntryPath(), autostartArguments);
    LockFileInstance instance;
    LocalSocketMessenger messenger;
    if (options.show)
        messenger.askToShowWindow();
    std::unique_ptr<PowerBackend> power = makePowerBackend(options.dryRun);
    if (options.folder.empty())
        options.folder = programFolder();
    fs.makeFolders(options.folder);

    MainWindowServices services{settings, fs, clock, autostart, instance, messenger, {}, {}, {}, {}, {}, {}, {}, {}};
    services.folder = options.folder;
    services.programPath = QCoreApplication::applicationFilePath().toStdString();
    services.versionName = power->probe().GetWindowsVersionName();
    services.dayHalves = userDayHalves();
    services.powerAction = [&power, dryRun = options.dryRun](CountdownKind kind, bool forced) {
        PowerCommands& commands = power->commands();
        PowerOutcome outcome = kind == CountdownKind::Reboot ? commands.DoReboot()
                               : forced                      ? commands.DoForcedShutdown()
                                                             : commands.DoShutdown();
        outcome.simulated = dryRun;
        return outcome;
    };
    services.endProgram = [] { QCoreApplication::exit(0); };
    services.trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    services.statusNotifierHost = [] { return statusNotifierHostRegistered(); };
    if (options.dryRun) {
        services.countdownOpened = [](CountdownKind kind) {
            std::printf("countdown: open %s\n", kind == CountdownKind::Reboot ? "reboot" : "shutdown");
            std::fflush(stdout);
        };
    }

    std::unique_ptr<FrmMain> mainWindow;
    QPointer<SplashWindow> splash = new SplashWindow(settings, [&] {
        if (!mainWindow)
            mainWindow = std::make_unique<FrmMain>(services);
        if (!mainWindow->presenter().Form_Load([&splash] {
                if (splash)
                    splash->close();
            })) {
            // Another copy runs: end without a word, touching nothing. Without any lock the
            // window has said so.
            QCoreApplication::exit(instance.lockError().empty() ? 0 : 1);
            return;
        }
        mainWindow->show();
        if (options.dryRun)
            reportTray(*mainWindow->sysTray());
    });
    splash->show();
    // The main window's widgets are built while the splash waits for its first tick, once the
    // splash has had time to appear, so that the tick only has to start the window up and show it.
    QTimer::singleShot(kBuildMainWindowAfterMs, [&] {
        if (!mainWindow)
            mainWindow = std::make_unique<FrmMain>(services);
    });
    const int rc = QApplication::exec();
    if (splash)
        delete splash.data();
    return rc;
}
