#pragma once

#include "countdown/countdown.h"
#include "schedule/event_list.h"
#include "schedule/schedule_checker.h"
#include "schedule/schedule_file.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTimer;
class QTreeWidget;

namespace quelvo {

class Autostart;
class Clock;
class FileSystem;
class InstanceMessenger;
class Settings;
class SingleInstance;
class SysTray;
struct CountdownHooks;

/// What the main window works with; the program builds the real ones, tests fakes.
struct MainWindowServices
{
    Settings& settings;
    FileSystem& fs;
    const Clock& clock;
    Autostart& autostart;
    SingleInstance& instance;
    InstanceMessenger& messenger; // lets a second copy bring this one forward
    std::string folder;           // where events.ini lives
    std::string programPath;      // the running program, for the autostart entry
    std::string versionName;      // the operating system's family name
    std::string amPmDesignator;   // the user's AM text ("AM", "a.m.", or empty)
    std::function<PowerOutcome(CountdownKind, bool forced)> powerAction;
    std::function<void()> endProgram;                   // ends the program at once
    std::function<bool()> trayAvailable;                // a notification area is there to hide into
    std::function<void(CountdownKind)> countdownOpened; // optional: told when a countdown opens
};

/// The program's one working window: four tabs, the event list, the editor and the
/// quick actions. It shows what the logic decides and passes the user's actions on.
class FrmMain final : public QWidget, public CheckerHost
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrmMain)

public:
    explicit FrmMain(MainWindowServices services, QWidget* parent = nullptr);
    ~FrmMain() override;

    /// Start-up. False when another copy already runs: this one must end, nothing was touched
    /// (the running copy was told, to come forward when it has no notification area).
    bool Form_Load(const std::function<void()>& closeSplash = {});
    /// Removes the tray icon and ends the program.
    void Form_Unload();

    /// Rebuilds both event lists from the schedule file.
    void loadlist();
    void deleteevent();
    void deleteall();
    void saveevent();
    void selectalldays();
    void setclockmode();
    /// Fills the editor for a delayed action and saves it; `index` 0..7 is Command3..Command10.
    void quickaction(int index);
    void hidetotray();
    /// A later copy was started: come forward when there is no tray icon to be found by, or
    /// when that copy was started to show the window.
    void anotherCopyStarted(bool showWindow);
    /// Shows the window on a tab (-1 keeps the selected one), as the tray's show commands do.
    void showmainwindow(int tab);
    /// A tray menu choice, by its key.
    void runTrayCommand(const QString& key);

    [[nodiscard]] SysTray* tray() const { return m_frmSysTray; }
    [[nodiscard]] ScheduleChecker& checker() { return m_checker; }
    [[nodiscard]] const EventList& eventList() const { return m_eventList; }

    // CheckerHost
    [[nodiscard]] bool windowIsNormal() const override;
    bool hideToTray() override;
    void openHint() override;
    [[nodiscard]] const std::vector<std::string>& lstEvents() const override;
    IoResult dropevent(const std::string& matchedLine) override;
    void openCountdown(bool reboot) override;

    /// Tabs of SSTab1.
    enum Tab { TabAbout = 0, TabSettings = 1, TabSchedules = 2, TabSleep = 3 };

    // About
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lab_vers = nullptr;
    QLabel* lab_windows = nullptr;
    QLabel* imgicon = nullptr;
    QCheckBox* chk_lww = nullptr;
    QCheckBox* chk_pause = nullptr;
    // Settings: the event editor and the options
    QCheckBox* chk_days[7] = {}; // chk_mon .. chk_sun
    QPushButton* Command1 = nullptr;
    QComboBox* txt_hr = nullptr;
    QComboBox* txt_min = nullptr;
    QComboBox* com_am = nullptr;
    QLabel* Label9 = nullptr;
    QCheckBox* chk_shutdown = nullptr;
    QCheckBox* chk_reboot = nullptr;
    QCheckBox* chk_repeat = nullptr;
    QPushButton* com_save = nullptr;
    QCheckBox* Check1 = nullptr;
    QCheckBox* chk_forced = nullptr;
    // Schedules
    QTreeWidget* ListView1 = nullptr;
    QListWidget* lst_events = nullptr;
    QPushButton* com_del = nullptr;
    QPushButton* Command2 = nullptr;
    // Sleep / timed off: Command3..Command10
    QPushButton* quickButtons[8] = {};
    // Hide-to-tray pictures, one per tab: image3, Image2, Image1, Picture1
    QPushButton* hidePictures[4] = {};

    QTabWidget* SSTab1 = nullptr;
    QTimer* Timer1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void connectControls();
    void buildTray();
    void alignTimer1();
    void powerNow(CountdownKind kind, bool forced);
    void keepReachable();
    CountdownHooks countdownHooks();
    void storePosition();
    void applyClockModeChange();
    [[nodiscard]] bool trayAvailable() const;
    [[nodiscard]] bool twentyFourHour() const;
    void showIoError(const QString& what, const IoResult& result);

    QWidget* buildAboutTab();
    QWidget* buildSettingsTab();
    QWidget* buildSchedulesTab();
    QWidget* buildSleepTab();
    QPushButton* makeHidePicture(const char* objectName);

    MainWindowServices m_services;
    ScheduleFile m_schedule;
    EventList m_eventList;
    ScheduleChecker m_checker;
    SysTray* m_frmSysTray = nullptr;

    // Dragging by the background or the tab control.
    bool m_dragging = false;
    QPoint m_grab;
    QPoint m_dragStart;
    // A check box was released under the pointer (as opposed to toggled by the keyboard).
    QObject* m_pointerReleased = nullptr;
    bool m_loaded = false;
    bool m_aligning = false;
};

} // namespace quelvo
