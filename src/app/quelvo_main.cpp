// The tray program: builds the real services and hands them to the windows.
#include "platform/linux/desktop_autostart.h"
#include "platform/linux/desktop_notifier.h"
#include "platform/linux/local_socket_messenger.h"
#include "platform/linux/locations.h"
#include "platform/linux/lock_file_instance.h"
#include "platform/linux/machine_link.h"
#include "platform/linux/policy_store.h"
#include "platform/linux/posix_file_system.h"
#include "platform/linux/power_backend.h"
#include "platform/linux/settings_store.h"
#include "platform/linux/status_notifier.h"
#include "platform/linux/system_clock.h"
#include "platform/linux/system_name.h"
#include "platform/settings_keys.h"
#include "shell/program_options.h"
#include "ui/app_icon.h"
#include "ui/frm_main.h"
#include "ui/splash_window.h"

#include <QApplication>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kBuildMainWindowAfterMs = 100;

void printLine(const QString& line)
{
    // A report that cannot be written has nowhere else to go.
    (void)std::printf("%s\n", line.toUtf8().constData());
    (void)std::fflush(stdout);
}

// Dry runs say each time a window reaches the screen, by its object name, so that a test can
// follow the windows under any window system, also one that tells outsiders nothing about them.
class ShownWindowReporter final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = event->type() == QEvent::Expose ? qobject_cast<QWindow*>(watched) : nullptr;
        if (window && window->isExposed() != window->property(kShownProperty).toBool()) {
            window->setProperty(kShownProperty, window->isExposed());
            if (window->isExposed())
                for (const QWidget* widget : QApplication::topLevelWidgets())
                    if (widget->windowHandle() == window)
                        printLine(QStringLiteral("window: shown ") + widget->objectName());
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static constexpr const char* kShownProperty = "quelvoShown";
};

// Where both X11 (XWayland) and Wayland are there and the user chose neither, the program takes X11:
// there it may place its windows, so the position memory, the drag by the background and the
// countdowns above other windows work, and a later copy can bring the window forward. Qt falls
// back to Wayland when the X server can't be reached.
void preferX11(std::vector<char*>& qtArgs)
{
    static char option[] = "-platform";
    static char platforms[] = "xcb;wayland";
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qtArgs.insert(qtArgs.end(), {option, platforms});
}

} // namespace

int main(int argc, char** argv)
{
    using namespace quelvo;
    ProgramOptions options;
    options.dryRun = dryRunFromEnvironment();
    if (const auto done = parseProgramOptions(std::vector<std::string>(argv + 1, argv + argc), options)) {
        (void)std::fputs(done->out.c_str(), stdout);
        (void)std::fputs(done->err.c_str(), stderr);
        return done->status;
    }

    // Qt must not take the program's own options for its own; it gets only the platform choice.
    std::vector<char*> qtArgs{argv[0]};
    preferX11(qtArgs);
    int qtArgc = static_cast<int>(qtArgs.size());
    qtArgs.push_back(nullptr);
    QApplication app(qtArgc, qtArgs.data());
    QApplication::setApplicationName(QStringLiteral("quelvo"));
    QApplication::setApplicationVersion(QStringLiteral(QUELVO_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
    applyApplicationIcon();

    // Never waits for a lock: the window and the firing must not stall on another program.
    PosixFileSystem fs(PosixCalls::system(), std::chrono::milliseconds(0));
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
    // A folder that cannot be made is reported by the first save into it.
    (void)fs.makeFolders(options.folder);

    HistoryFile history(fs, historyFolder());
    DesktopNotifier notifier;
    SystemMachineLink machineLink;
    // Root's settings of the machine's schedule, which every user may read: only for the captions.
    SettingsStore machineSettings(fs, joinPath(machineConfigFolder(""), "settings.ini"));
    const MainWindowServices services{
        .settings = settings,
        .fs = fs,
        .clock = clock,
        .autostart = autostart,
        .instance = instance,
        .messenger = messenger,
        .folder = options.folder,
        .programPath = QCoreApplication::applicationFilePath().toStdString(),
        .versionName = power->probe().GetWindowsVersionName(),
        .systemName = OsReleaseName(fs).displayName(),
        .dayHalves = userDayHalves(),
        .powerAction =
            [&power, dryRun = options.dryRun](CountdownKind kind, bool forced) {
                return requestPower(power->commands(), kind == CountdownKind::Reboot, forced, dryRun);
            },
        .endProgram = [] { QCoreApplication::exit(0); },
        .trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); },
        .dryRunReport = options.dryRun ? standardOutputLines() : DryRunOutput{},
        .statusNotifierHost = [] { return statusNotifierHostRegistered(); },
        .notifier = &notifier,
        .history = &history,
        .userName = userName(),
        .machineLink = &machineLink,
        .policy = [&fs,
                   &machineSettings] { return PolicyStore(fs, machinePolicyPath(""), machineSettings).read().policy; },
    };

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
        // Only the copy that runs reports; a later one ends quietly.
        if (options.dryRun)
            app.installEventFilter(new ShownWindowReporter(&app));
        mainWindow->show();
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
