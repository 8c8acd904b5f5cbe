#pragma once

#include "countdown/countdown_presenter.h"
#include "platform/notifier.h"
#include "power/dry_run.h"
#include "schedule/event_list.h"
#include "schedule/next_firing.h"
#include "schedule/policy.h"
#include "schedule/schedule_checker.h"
#include "schedule/schedule_file.h"
#include "schedule/warning_planner.h"
#include "shell/auto_hide.h"
#include "shell/hint_presenter.h"
#include "shell/machine_events_presenter.h"
#include "shell/main_view.h"
#include "tray/sys_tray_model.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quelvo {

class Autostart;
struct FlagKey;
class InstanceMessenger;
class SingleInstance;

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
    std::string systemName{};     // what the system calls itself (SystemName); empty where it does not say
    DayHalves dayHalves;          // the user's AM/PM texts ("AM", "a.m.", or empty)
    std::function<PowerOutcome(CountdownKind, bool forced)> powerAction;
    std::function<void()> endProgram;    // ends the program at once
    std::function<bool()> trayAvailable; // a notification area is there to hide into
    DryRunOutput dryRunReport{};         // optional: where a dry run's report lines go (DryRunReporter)
    /// Optional: the icon is served by a StatusNotifierItem host, whose activation (a click, or
    /// a double click the host keeps for itself) is the only one the program hears.
    std::function<bool()> statusNotifierHost{};
    /// Optional: the desktop's notifications, for the warning ahead of an event; where there are
    /// none (or they offer no choices), the hint window asks instead.
    Notifier* notifier = nullptr;
    /// Optional: where what came of each firing is written down.
    HistoryFile* history = nullptr;
    std::string userName{}; // the name the history gives the user; empty where unknown
    /// Optional: the service that keeps the machine's schedule, whose warnings and countdowns the
    /// program shows too.
    MachineLink* machineLink = nullptr;
    /// Optional: what the administrator lets users do, read at start-up and again at each tick; none
    /// lets them do all.
    std::function<Policy()> policy{};
};

/// Everything the main window decides: start-up, the event list, the editor, the quick actions,
/// hiding to the tray, the tray's commands, the position memory and the checker's tick. It
/// talks to the window only through MainView, so any window system can draw it.
class MainPresenter final : public CheckerHost, public AutoHideHost
{
public:
    MainPresenter(MainWindowServices services, MainView& view);
    ~MainPresenter() override;
    MainPresenter(const MainPresenter&) = delete;
    MainPresenter& operator=(const MainPresenter&) = delete;

    /// Start-up. False when another copy already runs: this one must end, nothing was touched
    /// (the running copy was told, to come forward when it has no notification area).
    bool Form_Load(const std::function<void()>& closeSplash = {});
    /// Stops the checker, cancels a running countdown, removes the tray icon and ends the program.
    void Form_Unload();
    /// The checker's tick, once a second.
    void tick();
    /// Timer1's tick: tick(), then the period Timer1 runs at from now (timer1Period).
    [[nodiscard]] int timer1Tick();

    /// Rebuilds both event lists from the schedule file; says once that it can't be read.
    void loadlist();
    void deleteevent();
    void deleteall();
    /// Checks the editor's boxes and appends their lines; true when they were saved.
    bool saveevent();
    /// Return was pressed on a tab of the window: on "Settings" it saves the event, as "&Save" does;
    /// elsewhere it does nothing.
    void returnPressed(MainTab tab);
    void selectalldays();
    /// The user changed "Use 24 hour clock".
    void setclockmode();
    /// Fills the editor for a delayed action (0..7, as in kQuickActions) and saves it.
    void quickaction(std::size_t index);
    /// The user changed "Forced shut down" or the start-up delay: stored as it now stands.
    void optionClicked(MainBox box);
    /// The user toggled chk_shutdown or chk_reboot (a click or the keyboard): that one alone is checked.
    void actionClicked(MainBox box);
    /// The user toggled "Load with windows" (a click or the keyboard): the entry follows the box.
    void autostartClicked();
    /// The user changed a box of minutes on the Options tab: brought into range and stored.
    void minutesChanged(MainSpin spin);
    /// The minutes in force, as the Options tab shows them: stored or not, they hold for this run.
    [[nodiscard]] int minutes(MainSpin spin) const;
    /// Writes a one-off event of the next event's action at its time plus the postpone minutes, and
    /// leaves out that firing.
    void postponeNext();
    /// Leaves out the next event's firing (a one-off event goes from the schedule).
    void skipNext();
    /// The firing the program will make next, as the schedule, the record and the skips stood at
    /// the start of this minute or the last change; nullopt when none is due within two weeks.
    [[nodiscard]] const std::optional<NextFiring>& upcoming();
    /// Shows the window on the Options tab, as a click on a warning does.
    void showOptionsTab();
    /// Takes in what the administrator lets users do, at start-up or whenever it changes.
    void applyPolicy(const Policy& policy);
    /// Whether the user's own schedule fires and may be changed, and the "now" commands run.
    [[nodiscard]] bool userSchedule() const { return m_userSchedule; }

    /// A hide picture or the window's close button.
    void hidetotray();
    /// A later copy was started: come forward when there is no tray icon to be found by, or
    /// when that copy was started to show the window.
    void anotherCopyStarted(bool showWindow);
    /// Shows the window, on a tab when one is given, as the tray's show commands do.
    void showmainwindow(std::optional<MainTab> tab);
    /// A mouse button (1 left, 2 right) went down over the window's background, at a point on the
    /// screen: the left one drags the window until it is released, or has the window system drag
    /// it where only that one places windows.
    void pointerPressed(int button, int screenX, int screenY);
    /// The pointer moved over the window's background: drags, and remembers where the window stands.
    void pointerMoved(int screenX, int screenY);
    void pointerReleased() { m_dragging = false; }

    /// The tray menu just opened.
    void trayMenuOpened() const;
    /// A tray menu choice, by its key.
    void runTrayCommand(std::string_view key);
    void trayDoubleClick();
    void trayMouseDown(int button);

    [[nodiscard]] ScheduleChecker& checker() { return m_checker; }
    [[nodiscard]] const EventList& eventList() const { return m_eventList; }
    /// The tray icon's model; null before start-up and after Form_Unload.
    [[nodiscard]] const SysTrayModel* trayModel() const { return m_tray.get(); }
    [[nodiscard]] CountdownPresenter& countdown(CountdownKind kind);
    [[nodiscard]] HintPresenter& hint() { return m_hint; }
    /// What the machine's service says; null without a link to it.
    [[nodiscard]] MachineEventsPresenter* machineEvents() { return m_machine.get(); }

    // AutoHideHost
    [[nodiscard]] bool windowIsNormal() const override;
    bool hideToTray() override;
    void openHint() override;

    // CheckerHost
    void beforeScan() override;
    [[nodiscard]] const std::vector<std::string>& lstEvents() const override;
    IoResult dropevent(const std::string& matchedLine) override;
    void openCountdown(bool reboot, const std::string& line) override;
    void reportError(const std::string& text) override;

private:
    [[nodiscard]] bool trayAvailable() const;
    [[nodiscard]] bool twentyFourHour() const;
    void setOption(MainBox box, const FlagKey& flag, bool on);
    void reportOptionSave(const IoResult& r);
    /// Writes a one-off event `minutes` of real time after `from`, as a quick action does; true when written.
    bool writeOneOff(WallTime from, bool reboot, int minutes);
    /// The Options tab's line and buttons, when the next event or its distance changed.
    void refreshNext();
    /// The icon's tip names the next event while "Show the next event in the icon's tip" is ticked.
    void refreshTip();
    /// Warns of the upcoming firing once, `warn` minutes ahead; takes a warning whose time has come away.
    void considerWarning();
    /// Takes the warning that is out away, its choices unheard from now on.
    void withdrawWarning();
    /// The user's answer to a warning about `firing`.
    void warningChosen(const NextFiring& firing, std::string_view key);
    /// Leaves out one firing, after writing it again `postpone` minutes later when asked to.
    void putOff(const NextFiring& firing, bool postpone);
    /// Lines the program has just written need no warning when they fire within the warning time.
    void markCreated(const std::vector<std::string>& lines);
    void powerNow(CountdownKind kind, bool forced);
    /// The window and the tray menu as the policy leaves them to the user.
    void showPolicy();
    /// True when the user's own schedule is turned off, after saying so.
    bool refused();
    /// Writes down what came of a firing; a failed write is said once and changes nothing else.
    void record(bool reboot, const std::string& line, HistoryOutcome outcome, const std::string& detail = {});
    void runTrayAction(TrayAction action, std::size_t quick);
    void keepReachable();
    void refreshList();
    CountdownHooks countdownHooks();

    MainWindowServices m_services;
    MainView& m_view;
    ScheduleFile m_schedule;
    EventList m_eventList;
    ScheduleChecker m_checker;
    AutoHide m_autoHide;
    HintPresenter m_hint;
    CountdownPresenter m_shutdown;
    CountdownPresenter m_reboot;
    std::unique_ptr<MachineEventsPresenter> m_machine;
    std::unique_ptr<SysTrayModel> m_tray;
    DryRunReporter m_report;
    bool m_loaded = false;
    bool m_userSchedule = true;
    WarningPlanner m_warnings;
    std::optional<NextFiring> m_upcoming;
    bool m_upcomingTwentyFour = true;       // the clock mode m_upcoming was worked out in
    long long m_upcomingMinute = -1;        // the wall-clock minute it was worked out in; -1: stale
    std::optional<NextFiring> m_warnedOf;   // the firing whose warning is out, until its time
    std::string m_nextShown;                // what the Options tab last showed of the next event
    std::string m_tipShown;                 // the icon's tip as last set
    std::array<std::string, 2> m_countLine; // the line each countdown (by its kind) is counting for
    bool m_historyFailed = false;           // a failed history write was said; said again after a success
    // Dragging by the background or the tab control: where the pointer and the window started.
    bool m_dragging = false;
    int m_grabX = 0;
    int m_grabY = 0;
    PixelRect m_dragStart;
};

} // namespace quelvo
