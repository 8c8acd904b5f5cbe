#include "shell/main_presenter.h"

#include "platform/linux/settings_store.h"
#include "platform/settings_keys.h"

#include "fakes/fake_machine_link.h"
#include "fakes/fake_main_services.h"
#include "fakes/fake_notifier.h"
#include "fakes/fake_views.h"

#include <gtest/gtest.h>

#include <set>

namespace quelvo {
namespace {

using test::FakeCountdownView;
using test::FakeMainView;
using test::FakeNotifier;

const char* const kEvents = "/prog/events.ini";

// The main window's decisions over a fake window, started on Monday 2026-12-07 at 09:41.
class MainPresenterTest : public ::testing::Test, protected test::FakeMainServices
{
protected:
    MainPresenter& start()
    {
        MainWindowServices s = services(*store, "/opt/quelvo/quelvo");
        s.systemName = systemName;
        s.dayHalves = dayHalves;
        s.powerAction = [this](CountdownKind kind, bool forced) {
            requests.emplace_back(kind, forced);
            return powerOutcome;
        };
        s.endProgram = [this] { ++ended; };
        s.trayAvailable = [this] { return trayThere; };
        s.dryRunReport = [this](const std::string& line) {
            opened += line.starts_with("countdown: open") ? 1 : 0;
            reported.push_back(line);
        };
        s.statusNotifierHost = [this] { return notifierHost; };
        s.notifier = notifier.get();
        s.history = &history;
        s.userName = "alice";
        s.machineLink = &machineLink;
        s.policy = [this] { return policy; };
        presenter = std::make_unique<MainPresenter>(s, view);
        loaded = presenter->Form_Load();
        return *presenter;
    }
    // A fresh window for the next start; the presenter that drew the old one goes first.
    void restart()
    {
        presenter.reset();
        view = {};
    }
    FakeCountdownView* countdown(CountdownKind kind)
    {
        for (auto& [k, window] : view.countdowns.built)
            if (k == kind)
                return window.get();
        return nullptr;
    }
    std::optional<std::string> events() const { return fs.content(kEvents); }

    Settings* store = &settings; // the settings the window works with
    FakeMainView view;
    bool trayThere = true;     // a notification area to hide into; may change while the window lives
    bool notifierHost = false; // the icon is served by a StatusNotifierItem host
    DayHalves dayHalves{"AM", "PM"};
    std::string systemName; // none: the family name stands in
    std::vector<std::pair<CountdownKind, bool>> requests;
    PowerOutcome powerOutcome; // what each request comes to
    HistoryFile history{fs, "/state"};
    int ended = 0;
    int opened = 0;                                                            // countdowns the checker opened
    std::vector<std::string> reported;                                         // the dry run's lines
    std::unique_ptr<FakeNotifier> notifier = std::make_unique<FakeNotifier>(); // null: the desktop has none
    test::FakeMachineLink machineLink;
    Policy policy; // as the administrator left it at start-up
    bool loaded = false;
    std::unique_ptr<MainPresenter> presenter;
};

TEST_F(MainPresenterTest, StartUpFillsTheWindowAndTheTray)
{
    start();
    ASSERT_TRUE(loaded);
    EXPECT_EQ(view.tab, MainTab::About);
    EXPECT_EQ(view.labels[MainLabel::Version], "This is version 2.4.0");
    EXPECT_EQ(view.labels[MainLabel::System], "You are using unknown"); // a system that says nothing of itself
    EXPECT_EQ(view.welcome.link, "https://quelvo.example.org");
    // A user with AM/PM gets no stored mode: the first-start test runs again next time.
    EXPECT_EQ(settings.get("24hr", "none"), "none");
    EXPECT_FALSE(view.checked(MainBox::TwentyFour));
    EXPECT_TRUE(view.ampmVisible);
    EXPECT_EQ(view.texts[MainCombo::Hour], "9");
    EXPECT_EQ(view.texts[MainCombo::Minute], "41");
    EXPECT_EQ(view.texts[MainCombo::AmPm], "AM");
    EXPECT_EQ(view.lists[MainCombo::AmPm], (std::vector<std::string>{"AM", "PM"}));
    // Forced shut down starts ticked and is stored as a click would store it.
    EXPECT_TRUE(view.checked(MainBox::Forced));
    EXPECT_EQ(settings.get("forced", ""), "True");
    EXPECT_FALSE(view.checked(MainBox::Pause));
    EXPECT_FALSE(view.checked(MainBox::Autostart));
    EXPECT_EQ(events(), std::optional<std::string>("")); // the schedule exists from now on
    EXPECT_TRUE(view.checkerRuns);
    EXPECT_TRUE(view.trayView.shown);
    EXPECT_EQ(view.trayView.tip, "Double click me for menu, Quelvo from Velmor Software.");
    // The icon's menu is drawn with the model's default item.
    ASSERT_NE(presenter->trayModel(), nullptr);
    EXPECT_EQ(view.trayView.defaultItem, presenter->trayModel()->DefaultMenuIndex());
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(MainPresenterTest, FirstStartAndStoredModes)
{
    dayHalves = {"", "PM"}; // a morning start on a clock without AM: the 24-hour mode is stored
    start();
    EXPECT_EQ(settings.get("24hr", ""), "True");
    EXPECT_TRUE(view.checked(MainBox::TwentyFour));
    EXPECT_FALSE(view.ampmVisible);
    EXPECT_EQ(view.texts[MainCombo::Hour], "09");
    EXPECT_EQ(view.lists[MainCombo::Hour].size(), 24U);

    // A stored 12-hour mode wins over the clock's habit.
    restart();
    EXPECT_TRUE(settings.save("24hr", "False").ok());
    EXPECT_TRUE(settings.save("pause", "True").ok());
    EXPECT_TRUE(settings.save("forced", "False").ok());
    autostart.stored = "/old/quelvo";
    systemName = "Debian GNU/Linux 12 (bookworm)";
    start();
    EXPECT_EQ(view.labels[MainLabel::System], "You are using Debian GNU/Linux 12 (bookworm)");
    EXPECT_FALSE(view.checked(MainBox::TwentyFour));
    EXPECT_TRUE(view.checked(MainBox::Pause));
    EXPECT_FALSE(view.checked(MainBox::Forced));
    EXPECT_TRUE(view.checked(MainBox::Autostart)); // a non-empty entry ticks the box, writing nothing
    EXPECT_EQ(autostart.writes, 0);
    EXPECT_TRUE(view.messages.empty()); // the stored mode agrees with the box: no warning
}

TEST_F(MainPresenterTest, SecondCopyEndsWithoutTouchingAnything)
{
    // The user's other copy runs: it is told, silently. No lock at all: this copy says so.
    for (const auto state : {SingleInstance::State::AnotherCopyRuns, SingleInstance::State::NoLock}) {
        restart();
        instance.state = state;
        instance.knocks = 0;
        start();
        EXPECT_FALSE(loaded);
        EXPECT_EQ(fs.writes, 0);
        EXPECT_EQ(settings.writes, 0);
        EXPECT_FALSE(view.trayView.shown);
        EXPECT_FALSE(instance.listener); // this copy never listens in the running one's place
        const bool noLock = state == SingleInstance::State::NoLock;
        EXPECT_EQ(instance.knocks, noLock ? 0 : 1);
        EXPECT_EQ(view.messages, noLock ? std::vector<std::string>{"Error!|Sorry, Quelvo cannot make sure that it "
                                                                   "runs only once, so it ends now: cannot create "
                                                                   "/run/user/1000/quelvo.lock: Read-only file system"}
                                        : std::vector<std::string>{});
    }
}

TEST_F(MainPresenterTest, LaterCopyBringsTheWindowForwardOnlyWithoutATray)
{
    for (const bool tray : {true, false}) {
        restart();
        trayThere = tray;
        MainPresenter& p = start();
        ASSERT_TRUE(instance.listener);
        view.tab = MainTab::Sleep;
        p.hidetotray();
        // Without a notification area the window waits on the task bar instead of vanishing.
        EXPECT_EQ(view.hidden, tray);
        EXPECT_TRUE(view.minimised);
        EXPECT_EQ(settings.get("hide", ""), "1");
        // Nor is that hide counted or hinted at: there is no icon to point at.
        EXPECT_EQ(view.hints.size(), tray ? 1U : 0U);
        EXPECT_EQ(settings.GetSetting("Quelvo", "data", "runs1", ""), "1"); // from the first round only

        instance.listener(false);
        EXPECT_EQ(view.minimised, tray); // with a tray the running copy is left as it was
        EXPECT_EQ(settings.get("hide", ""), tray ? "1" : "0");
        EXPECT_EQ(view.tab, MainTab::Sleep);

        // A start from the application menu asks for the window, tray or not.
        instance.listener(true);
        EXPECT_FALSE(view.hidden || view.minimised);
        EXPECT_EQ(settings.get("hide", ""), "0");
    }
}

TEST_F(MainPresenterTest, WithoutANotificationAreaTheWindowStaysReachable)
{
    trayThere = false;
    EXPECT_TRUE(settings.save("hide", "1").ok()); // the user left the window hidden last time
    MainPresenter& p = start();
    p.tick();
    // Auto-hide has nowhere to hide into.
    EXPECT_FALSE(view.hidden || view.minimised);

    trayThere = true; // the desktop's notification area has started since
    p.hidetotray();
    p.tick();
    EXPECT_TRUE(view.hidden && view.minimised);
    EXPECT_EQ(view.hints.size(), 1U); // the first hides point at the icon
    EXPECT_EQ(view.hints[0]->lifetimeMs, 2000);
    EXPECT_EQ(settings.GetSetting("Quelvo", "data", "runs1", ""), "1");
    trayThere = false; // the panel holding the icon has gone: the next tick brings the window back
    p.tick();
    EXPECT_TRUE(view.minimised && !view.hidden);
}

// Every command of the tray menu, found by its caption, and what it does.
TEST_F(MainPresenterTest, EachTrayMenuCaptionDoesItsOwnThing)
{
    struct Case
    {
        const char* caption;
        std::optional<MainTab> tab;       // the window shown on this tab
        std::optional<CountdownKind> now; // this countdown opened at "0"
        bool forced;                      // "Forced shut down" ticked by the command
        const char* line;                 // the line a quick action saved
        bool exits;
    };
    const std::nullopt_t none = std::nullopt;
    const Case cases[] = {
        {"&Show main window", MainTab::Sleep, none, false, nullptr, false},
        {"&Shut down PC now!", none, CountdownKind::Shutdown, false, nullptr, false},
        {"&Forced Shut down now!", none, CountdownKind::Shutdown, true, nullptr, false},
        {"&Re Boot PC now!", none, CountdownKind::Reboot, false, nullptr, false},
        {"&Set new event", MainTab::Settings, none, false, nullptr, false},
        {"&Delete an event", MainTab::Schedules, none, false, nullptr, false},
        {"ShutDown in 5 minutes", none, none, false, "On Mon at 09:46 AM, Shut Down, Don't repeat\r\n", false},
        {"ShutDown in 15 minutes", none, none, false, "On Mon at 09:56 AM, Shut Down, Don't repeat\r\n", false},
        {"ShutDown in 30 minutes", none, none, false, "On Mon at 10:11 AM, Shut Down, Don't repeat\r\n", false},
        {"ShutDown in 60 minutes", none, none, false, "On Mon at 10:41 AM, Shut Down, Don't repeat\r\n", false},
        {"ReBoot in 5 minutes", none, none, false, "On Mon at 09:46 AM, Reboot,    Don't repeat\r\n", false},
        {"ReBoot in 15 minutes", none, none, false, "On Mon at 09:56 AM, Reboot,    Don't repeat\r\n", false},
        {"ReBoot in 30 minutes", none, none, false, "On Mon at 10:11 AM, Reboot,    Don't repeat\r\n", false},
        {"ReBoot in 60 minutes", none, none, false, "On Mon at 10:41 AM, Reboot,    Don't repeat\r\n", false},
        {"&About Quelvo!", MainTab::About, none, false, nullptr, false},
        {"&Exit", none, none, false, nullptr, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        restart();
        fs = {};
        EXPECT_TRUE(settings.save("forced", "False").ok());
        ended = 0;
        MainPresenter& p = start();
        const auto& menu = view.trayView.menu;
        const auto item = std::find_if(menu.begin(), menu.end(), [&](const auto& i) { return i.caption == c.caption; });
        ASSERT_NE(item, menu.end());
        view.tab = MainTab::Sleep;
        p.hidetotray();

        p.runTrayCommand(item->key);
        EXPECT_EQ(!view.hidden, c.tab.has_value());
        if (c.tab) {
            EXPECT_EQ(view.tab, *c.tab);
        }
        for (const CountdownKind kind : {CountdownKind::Shutdown, CountdownKind::Reboot}) {
            FakeCountdownView* window = countdown(kind);
            ASSERT_EQ(window != nullptr, c.now == kind);
            if (window) {
                EXPECT_EQ(window->seconds, "0");
                EXPECT_EQ(window->postpone, ""); // asked for now: nothing to put off
            }
        }
        EXPECT_EQ(view.checked(MainBox::Forced), c.forced);
        EXPECT_EQ(settings.get("forced", ""), c.forced ? "True" : "False");
        EXPECT_EQ(events(), std::optional<std::string>(c.line ? c.line : ""));
        EXPECT_EQ(ended, c.exits ? 1 : 0);
        EXPECT_EQ(p.trayModel() == nullptr, c.exits);
        EXPECT_EQ(view.trayView.shown, !c.exits);
    }
}

TEST_F(MainPresenterTest, OtherTrayInput)
{
    MainPresenter& p = start();
    const int writes = settings.writes;
    for (const char* key : {"Show", "EXIT", "S5", "nothing", ""}) // unknown and wrong-case keys do nothing
        p.runTrayCommand(key);
    EXPECT_EQ(settings.writes, writes);
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(view.countdowns.built.empty());
    EXPECT_EQ(events(), std::optional<std::string>(""));

    p.trayMouseDown(2); // the right button opens the menu
    EXPECT_EQ(view.trayView.popUps, 1);
    p.hidetotray();
    view.tab = MainTab::Sleep;
    p.trayMouseDown(1); // a single left click on an XEmbed tray does nothing
    EXPECT_TRUE(view.hidden);
    p.trayDoubleClick(); // shows the window on "About"
    EXPECT_FALSE(view.hidden);
    EXPECT_EQ(view.tab, MainTab::About);
    EXPECT_EQ(view.trayView.popUps, 1);
}

// On a StatusNotifierItem host the activation is all the program hears: it does what the double click does.
TEST_F(MainPresenterTest, StatusNotifierActivationShowsTheWindow)
{
    notifierHost = true;
    MainPresenter& p = start();
    p.hidetotray();
    view.tab = MainTab::Sleep;
    p.trayMouseDown(1);
    EXPECT_FALSE(view.hidden);
    EXPECT_EQ(view.tab, MainTab::About);
}

TEST_F(MainPresenterTest, ShutdownNowCutsADueEventsCountShort)
{
    fs.put(kEvents, "On Mon at 09:41 AM, Shut Down, Repeat daily\r\n");
    MainPresenter& p = start();
    p.tick();
    FakeCountdownView* window = countdown(CountdownKind::Shutdown);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->seconds, "10");
    p.countdown(CountdownKind::Shutdown).tick();
    EXPECT_EQ(window->seconds, "9");
    p.runTrayCommand("shutdown");
    EXPECT_EQ(view.countdowns.built.size(), 1U); // the same window, not a new count
    EXPECT_EQ(window->seconds, "0");
    p.countdown(CountdownKind::Shutdown).tick(); // it acts at its next tick, not eight seconds later
    EXPECT_EQ(requests, (std::vector<std::pair<CountdownKind, bool>>{{CountdownKind::Shutdown, true}}));
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(window->open);
}

// Another program's change to the schedule counts at the next minute, and the window shows it
// as soon as it is brought back, whether or not the list was read while it was hidden.
TEST_F(MainPresenterTest, AnotherProgramsChangeCountsWhileTheWindowIsHidden)
{
    MainPresenter& p = start(); // Monday 09:41:20
    p.hidetotray();
    p.tick();
    fs.put(kEvents, "On Mon at 09:42 AM, Shut Down, Repeat daily\r\n");
    p.tick();
    EXPECT_EQ(countdown(CountdownKind::Shutdown), nullptr);
    clock.advanceSeconds(40);
    p.tick();
    EXPECT_NE(countdown(CountdownKind::Shutdown), nullptr);

    fs.put(kEvents, "On Mon at 09:42 AM, Shut Down, Repeat daily\r\nOn Tue at 10:00 AM, Reboot,    Repeat daily\r\n");
    p.tick();
    p.runTrayCommand("show");
    ASSERT_EQ(view.rows.size(), 2U);
    EXPECT_EQ(view.rows[0].columns.timeAndDate, " Tue at 10:00 AM"); // descending on the first column
}

// Another program holds the schedule and the settings when a one-off line is due: its countdown opens
// on time all the same, what could not be written is at the first tick that can, and until the line
// is dropped it fires no more, whatever a reload of the list shows.
TEST_F(MainPresenterTest, FiresOnTimeWhileAnotherProgramHoldsTheLocksAndCatchesUpLater)
{
    SettingsStore onDisk(fs, "/config/settings.ini");
    store = &onDisk;
    const std::string oneOff = "On Mon at 09:42 AM, Shut Down, Don't repeat\r\n";
    fs.put(kEvents, oneOff);
    MainPresenter& p = start(); // Monday 09:41:20
    fs.heldByOther = {"/prog/events.ini.lock", "/config/settings.ini.lock"};
    clock.advanceSeconds(40);
    p.tick();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(onDisk.get(setting::kLastFired, "none"), "none");

    fs.heldByOther.erase("/config/settings.ini.lock");
    clock.advanceSeconds(1);
    p.tick();
    EXPECT_EQ(onDisk.get(setting::kLastFired, ""), "1796636520 2026-12-07 09:42 88c7262e68cfd27f");
    // A week on, long after the firing is forgotten, the schedule rewritten by another program.
    fs.put(kEvents, oneOff + "On Tue at 10:00 AM, Reboot,    Repeat daily\r\n");
    clock.advanceMinutes(7 * 24 * 60);
    p.tick();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(view.messages, std::vector<std::string>{}); // a held lock is no fault to show

    fs.heldByOther.clear();
    clock.advanceSeconds(1);
    p.tick();
    EXPECT_EQ(events(), std::optional<std::string>("on tue at 10:00 am, reboot,    repeat daily\r\n"));
    EXPECT_EQ(view.lines, std::vector<std::string>{"on tue at 10:00 am, reboot,    repeat daily"});
}

// Settings that cannot be read leave the clock mode unknown: neither Save nor a quick action writes
// a line in a guessed form, and the quick action is not confirmed.
TEST_F(MainPresenterTest, NoLineIsSavedInAGuessedClockMode)
{
    settings.readFailure = "cannot read /config/settings.ini: Permission denied";
    MainPresenter& p = start();
    view.setChecked(MainBox::Monday, true);
    view.setChecked(MainBox::Shutdown, true);
    p.saveevent();
    EXPECT_EQ(view.messages, std::vector<std::string>{"Error!|Sorry, the clock mode (12 or 24 hour) could not be read "
                                                      "from the settings, so the event was not saved: cannot read "
                                                      "/config/settings.ini: Permission denied"});
    p.runTrayCommand("s15");
    EXPECT_EQ(view.messages.size(), 2U);
    EXPECT_FALSE(p.hint().isOpen());
    EXPECT_EQ(events(), std::optional<std::string>(""));
}

TEST_F(MainPresenterTest, ExitDuringACountdownEndsWithoutARequest)
{
    MainPresenter& p = start();
    p.openCountdown(false, "");
    p.runTrayCommand("exit");
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(countdown(CountdownKind::Shutdown)->open);
    EXPECT_FALSE(view.checkerRuns);
    p.countdown(CountdownKind::Shutdown).tick();
    EXPECT_TRUE(requests.empty());
}

TEST_F(MainPresenterTest, QuickActionFromTheTrayKeepsTheWindowHiddenAndConfirms)
{
    MainPresenter& p = start();
    p.hidetotray();
    p.hint().elapsed();
    p.runTrayCommand("s15");
    EXPECT_TRUE(view.hidden);
    EXPECT_EQ(view.lines, (std::vector<std::string>{"On Mon at 09:56 AM, Shut Down, Don't repeat"}));
    EXPECT_EQ(view.tab, MainTab::Schedules);
    EXPECT_EQ(view.busy, (std::vector<bool>{true, false}));
    ASSERT_TRUE(p.hint().isOpen());
    EXPECT_EQ(view.hints.back()->confirmation, "This computer will ShutDown in 15 minutes");
}

TEST_F(MainPresenterTest, SaveChecksAppendsAndReportsAFailedWrite)
{
    MainPresenter& p = start();
    view.tab = MainTab::Settings;
    view.setChecked(MainBox::Friday, true);
    view.setChecked(MainBox::Monday, true);
    view.setText(MainCombo::Hour, "13");
    p.saveevent();
    EXPECT_NE(view.messages.back().find("between 1 and 12"), std::string::npos);
    EXPECT_EQ(view.texts[MainCombo::Hour], "13"); // no padding after a failed check
    EXPECT_EQ(events(), std::optional<std::string>(""));

    view.setText(MainCombo::Hour, "7");
    view.setText(MainCombo::Minute, "5");
    view.setText(MainCombo::AmPm, "am");
    view.setChecked(MainBox::Shutdown, true);
    view.setChecked(MainBox::Repeat, true);
    for (const MainTab elsewhere : {MainTab::About, MainTab::Schedules, MainTab::Sleep})
        p.returnPressed(elsewhere);
    EXPECT_EQ(events(), std::optional<std::string>("")); // Return saves on the Settings tab only
    p.returnPressed(MainTab::Settings);
    EXPECT_EQ(view.texts[MainCombo::Hour], "07");
    EXPECT_EQ(view.texts[MainCombo::Minute], "05");
    EXPECT_EQ(events(), std::optional<std::string>("On Mon at 07:05 AM, Shut Down, Repeat daily\r\n"
                                                   "On Fri at 07:05 AM, Shut Down, Repeat daily\r\n"));
    EXPECT_EQ(view.tab, MainTab::Schedules);
    ASSERT_EQ(view.rows.size(), 2U);
    EXPECT_EQ(view.rows[0].columns.timeAndDate, " Mon at 07:05 AM"); // descending on the first column

    view.tab = MainTab::Settings;
    fs.failWrite.insert(kEvents);
    p.saveevent();
    EXPECT_EQ(view.messages.back().rfind("Error!|", 0), 0U);
    EXPECT_NE(view.messages.back().find(kEvents), std::string::npos);
    EXPECT_EQ(view.tab, MainTab::Settings);
}

TEST_F(MainPresenterTest, DeletingNeedsASelectedRowAndAsksBeforeDeletingAll)
{
    fs.put(kEvents, "On Mon at 07:30 AM, Shut Down, Repeat daily\r\n"
                    "On Fri at 11:45 PM, Reboot,    Don't repeat\r\n");
    MainPresenter& p = start();
    p.deleteevent();
    EXPECT_EQ(view.messages.back(),
              "Error!|Sorry, you have to select an entry from the above list before I can delete anything.");
    view.selected = 0;
    p.deleteevent();
    EXPECT_EQ(events(), std::optional<std::string>("On Fri at 11:45 PM, Reboot,    Don't repeat\r\n"));
    EXPECT_EQ(view.rows.size(), 1U);

    view.answer = false;
    p.deleteall();
    EXPECT_EQ(view.messages.back(), "Warning!|Are you sure you want to delete all of the events from the list?");
    EXPECT_EQ(view.lines.size(), 1U);
    view.answer = true;
    p.deleteall();
    EXPECT_EQ(events(), std::optional<std::string>(""));
    EXPECT_TRUE(view.lines.empty() && view.rows.empty());
}

TEST_F(MainPresenterTest, ClockModeSwitchWarnsAndRefillsTheEditor)
{
    MainPresenter& p = start();
    view.setChecked(MainBox::TwentyFour, true);
    p.setclockmode();
    ASSERT_EQ(view.messages.size(), 1U);
    EXPECT_EQ(view.messages[0].rfind("Warning!|", 0), 0U);
    EXPECT_EQ(settings.get("24hr", ""), "True");
    EXPECT_FALSE(view.ampmVisible);
    EXPECT_EQ(view.lists[MainCombo::Hour].size(), 24U);
    view.setChecked(MainBox::TwentyFour, false);
    p.setclockmode();
    EXPECT_EQ(settings.get("24hr", ""), "False");
    EXPECT_TRUE(view.ampmVisible);
    EXPECT_EQ(view.lists[MainCombo::Hour].size(), 12U);
}

TEST_F(MainPresenterTest, PositionIsPlacedAndStoredInTwipsAndOnlyTheLeftButtonDrags)
{
    EXPECT_TRUE(settings.save("x", "1500").ok());
    EXPECT_TRUE(settings.save("y", "3000").ok());
    view.dpi = 144;
    MainPresenter& p = start();
    EXPECT_EQ(view.place.left, 150); // 10 twips per pixel at 144 dpi
    EXPECT_EQ(view.place.top, 300);

    p.pointerPressed(2, 500, 500); // the right button does not drag
    p.pointerMoved(530, 500);
    p.pointerReleased();
    EXPECT_EQ(view.place.left, 150);
    EXPECT_EQ(settings.get("x", ""), "1500");

    p.pointerPressed(1, 500, 400); // grabbed off the diagonal, so x and y cannot stand in for each other
    p.pointerMoved(520, 410);
    p.pointerReleased();
    const int writes = settings.writes;
    p.pointerMoved(600, 600);
    EXPECT_EQ(settings.writes, writes + 1); // x and y together
    EXPECT_EQ(view.place.left, 170);
    EXPECT_EQ(view.place.top, 310);
    EXPECT_EQ(settings.get("x", ""), "1700");
    EXPECT_EQ(settings.get("y", ""), "3100");
}

TEST_F(MainPresenterTest, WhereTheWindowSystemPlacesWindowsTheDragIsItsAndNoPositionIsStored)
{
    EXPECT_TRUE(settings.save("x", "1500").ok());
    EXPECT_TRUE(settings.save("y", "3000").ok());
    view.placeable = false;
    MainPresenter& p = start();
    EXPECT_EQ(view.place.left, 10); // where the window system put it
    EXPECT_EQ(view.place.top, 20);
    const int writes = settings.writes;
    p.pointerPressed(2, 500, 500); // the right button still does not drag
    EXPECT_EQ(view.systemMoves, 0);
    p.pointerPressed(1, 500, 500);
    p.pointerMoved(520, 510);
    p.pointerReleased();
    EXPECT_EQ(view.systemMoves, 1);
    EXPECT_EQ(view.place.left, 10);
    EXPECT_EQ(settings.writes, writes); // the stored position is kept for a session that has one
    EXPECT_EQ(settings.get("x", ""), "1500");
}

TEST_F(MainPresenterTest, OptionBoxesFollowTheUser)
{
    autostart.stored = "/old/quelvo";
    MainPresenter& p = start();
    view.setChecked(MainBox::Autostart, false);
    p.autostartClicked();
    EXPECT_EQ(autostart.stored, std::optional<std::string>(""));
    view.setChecked(MainBox::Autostart, true);
    p.autostartClicked();
    EXPECT_EQ(autostart.stored, std::optional<std::string>("/opt/quelvo/quelvo"));
    // A failed write says why and shows the entry's real state.
    autostart.failWith = "read-only file system";
    view.setChecked(MainBox::Autostart, false);
    p.autostartClicked();
    EXPECT_EQ(view.messages.back(), "Error!|Sorry, the start-up entry could not be changed: read-only file system");
    EXPECT_TRUE(view.checked(MainBox::Autostart));

    view.setChecked(MainBox::Pause, true);
    p.optionClicked(MainBox::Pause);
    view.setChecked(MainBox::Forced, false);
    p.optionClicked(MainBox::Forced);
    EXPECT_EQ(settings.get("pause", ""), "True");
    EXPECT_EQ(settings.get("forced", ""), "False");

    // Toggling one of the action pair checks that one alone.
    view.setChecked(MainBox::Shutdown, true);
    p.actionClicked(MainBox::Reboot);
    EXPECT_TRUE(view.checked(MainBox::Reboot) && !view.checked(MainBox::Shutdown));
}

// Postpone in a countdown closes it without a request and writes a one-off line of its action the
// stored minutes (brought into range) from the moment of the press, in the stored clock mode.
TEST_F(MainPresenterTest, PostponeInTheCountdownWritesALineForLaterInsteadOfTheRequest)
{
    const struct
    {
        LocalTime now;
        const char* twentyFour;
        const char* postpone; // stored; nullptr: none
        bool reboot;
        const char* caption;
        const char* line;
    } cases[] = {
        {{2026, 12, 7, 9, 41, 20, 1},
         "False",
         nullptr,
         false,
         "&Postpone 15 min",
         "On Mon at 09:56 AM, Shut Down, Don't repeat"},
        {{2026, 12, 7, 23, 50, 0, 1},
         "True",
         "30",
         true,
         "&Postpone 30 min",
         "On Tue at 00:20   , Reboot,    Don't repeat"},
        {{2026, 12, 13, 23, 55, 59, 0},
         "False",
         "10",
         false,
         "&Postpone 10 min",
         "On Mon at 12:06 AM, Shut Down, Don't repeat"}, // into the new week, from the press 3 s after opening
        {{2026, 12, 7, 11, 50, 0, 1},
         "False",
         "500",
         true,
         "&Postpone 120 min",
         "On Mon at 01:50 PM, Reboot,    Don't repeat"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        restart();
        fs = {};
        reported.clear();
        clock.set(c.now);
        EXPECT_TRUE(settings.save("24hr", c.twentyFour).ok());
        EXPECT_TRUE(settings.save("postpone", c.postpone ? c.postpone : "").ok());
        MainPresenter& p = start();
        const CountdownKind kind = c.reboot ? CountdownKind::Reboot : CountdownKind::Shutdown;
        p.openCountdown(c.reboot, "");
        EXPECT_EQ(countdown(kind)->postpone, c.caption);
        clock.advanceSeconds(3);
        p.countdown(kind).postpone();
        EXPECT_FALSE(countdown(kind)->open);
        for (int i = 0; i < 12; ++i)
            p.countdown(kind).tick();
        EXPECT_TRUE(requests.empty());
        EXPECT_EQ(events(), std::string(c.line) + "\r\n");
        EXPECT_EQ(reported.back(), std::string("postpone: wrote ") + c.line);
    }
}

// What the Options tab shows of the stored settings: out of range brought into it, anything but a
// plain whole number the default; nothing is written back.
TEST_F(MainPresenterTest, OptionsTabShowsTheStoredSettingsInRange)
{
    const struct
    {
        const char* warn;
        const char* postpone;
        const char* nexttip;
        int warnShown;
        int postponeShown;
        bool tipShown;
    } cases[] = {
        {nullptr, nullptr, nullptr, 5, 15, true}, {"0", "5", "False", 0, 5, false},
        {"121", "4", "True", 120, 5, true},       {" 30 ", "-7", "yes", 30, 5, false},
        {"abc", "1e3", "", 5, 15, false},         {"99999999999999999999", "7.5", "True", 5, 15, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.warn ? c.warn : "none");
        restart();
        settings = {};
        for (const auto& [key, value] : {std::pair{"warn", c.warn}, {"postpone", c.postpone}, {"nexttip", c.nexttip}}) {
            if (value) {
                EXPECT_TRUE(settings.save(key, value).ok());
            }
        }
        MainPresenter& p = start();
        EXPECT_EQ(view.spins[MainSpin::Warn], c.warnShown);
        EXPECT_EQ(view.spins[MainSpin::Postpone], c.postponeShown);
        EXPECT_EQ(view.checked(MainBox::NextTip), c.tipShown);
        EXPECT_EQ(p.minutes(MainSpin::Warn), c.warnShown);
        EXPECT_EQ(settings.get("warn", "none"), c.warn ? c.warn : "none");
    }
}

// A change is stored in range as the user makes it; one that cannot be stored is said, and the box
// keeps it for this run.
TEST_F(MainPresenterTest, OptionChangesAreStoredAndAFailedSaveIsSaid)
{
    MainPresenter& p = start();
    view.setValue(MainSpin::Postpone, 200);
    p.minutesChanged(MainSpin::Postpone);
    EXPECT_EQ(view.spins[MainSpin::Postpone], 120);
    EXPECT_EQ(settings.get("postpone", ""), "120");
    settings.failWith = "disk full";
    view.setValue(MainSpin::Postpone, 25);
    p.minutesChanged(MainSpin::Postpone);
    EXPECT_EQ(view.messages, std::vector<std::string>{"Error!|Sorry, the option could not be saved, so it holds only "
                                                      "until Quelvo ends: disk full"});
    p.openCountdown(false, "");
    EXPECT_EQ(countdown(CountdownKind::Shutdown)->postpone, "&Postpone 25 min");
}

// The Options tab and the icon's tip name what fires next, in the stored clock mode, the time left
// rounded up to the minute; the tip only while asked to and within a week.
TEST_F(MainPresenterTest, TheNextEventIsNamedOnTheOptionsTabAndInTheTip)
{
    const std::string plainTip = "Double click me for menu, Quelvo from Velmor Software.";
    const struct
    {
        const char* events;
        const char* twentyFour;
        const char* nexttip;
        const char* line;
        std::string tip;
    } cases[] = {
        {"On Mon at 10:00 PM, Shut Down, Repeat daily\r\n", "False", "True",
         "Next: Shut down on Mon at 10:00 PM (in 12 h 19 min)", "Quelvo \u2014 next: shut down Mon 10:00 PM"},
        {"On Tue at 09:00   , Shut Down, Repeat daily\r\nOn Mon at 09:42   , Reboot,    Don't repeat\r\n", "True",
         "True", "Next: Reboot on Mon at 09:42 (in 1 min)", "Quelvo \u2014 next: reboot Mon 09:42"},
        {"On Wed at 10:41 AM, Reboot,    Repeat daily\r\n", "False", "False",
         "Next: Reboot on Wed at 10:41 AM (in 2 d 1 h)", plainTip},
        {"On Mon at 09:41 AM, Reboot,    Repeat daily\r\n", "False", "True", // this minute has begun: next week
         "Next: Reboot on Mon at 09:41 AM (in 7 d)", "Quelvo \u2014 next: reboot Mon 09:41 AM"},
        {"", "False", "True", "Next: nothing scheduled", plainTip},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        restart();
        fs.put(kEvents, c.events);
        EXPECT_TRUE(settings.save("24hr", c.twentyFour).ok());
        EXPECT_TRUE(settings.save("nexttip", c.nexttip).ok());
        MainPresenter& p = start();
        p.tick();
        EXPECT_EQ(view.nextLine, c.line);
        EXPECT_EQ(view.nextButtons, std::pair(*c.events != 0, *c.events != 0));
        EXPECT_EQ(p.trayModel()->ToolTip(), c.tip);
    }
}

// The warning comes once, warn minutes ahead, also over a restart; "Postpone" writes the event again
// from its own time and skips the firing, which then does not happen, while the new one is warned of
// in its turn and fires.
TEST_F(MainPresenterTest, AWarningComesOnceAndPostponeMovesTheFiring)
{
    fs.put(kEvents, "On Mon at 09:50 AM, Shut Down, Repeat daily\r\n");
    start();
    const auto tickTo = [&](int hour, int minute, int second = 0) {
        while (clock.now().hour * 3600 + clock.now().minute * 60 + clock.now().second <
               hour * 3600 + minute * 60 + second) {
            clock.advanceSeconds(1);
            presenter->tick();
        }
    };
    tickTo(9, 44, 59);
    EXPECT_TRUE(notifier->shown.empty());
    tickTo(9, 45, 0);
    tickTo(9, 45, 30);
    EXPECT_EQ(notifier->shown, std::vector<std::string>{"Quelvo will shut down this PC at 09:50 AM (in 5 minutes) "
                                                        "[postpone: Postpone 15 minutes] [skip: Skip this time]"});
    EXPECT_EQ(reported.back(), "warn: shutdown at 2026-12-07T09:50:00+00:00");
    restart();
    start();
    tickTo(9, 46, 0);
    EXPECT_EQ(notifier->shown.size(), 1U); // told before the restart
    reported.clear();
    presenter->postponeNext();
    EXPECT_EQ(events(),
              "On Mon at 09:50 AM, Shut Down, Repeat daily\r\nOn Mon at 10:05 AM, Shut Down, Don't repeat\r\n");
    EXPECT_EQ(reported, (std::vector<std::string>{"postpone: wrote On Mon at 10:05 AM, Shut Down, Don't repeat",
                                                  "skip: On Mon at 09:50 AM, Shut Down, Repeat daily at "
                                                  "2026-12-07T09:50:00+00:00"}));
    tickTo(9, 59, 59);
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(notifier->shown.size(), 1U);
    tickTo(10, 0, 0);
    EXPECT_EQ(notifier->shown.size(), 2U);
    tickTo(10, 5, 0);
    EXPECT_EQ(opened, 1);
}

// Where no warning is wanted none comes; without notifications the hint asks, and a click on a
// notification shows the Options tab.
TEST_F(MainPresenterTest, WarningsFollowTheSettingAndTheDesktop)
{
    const auto tickMinutes = [&](int minutes) {
        for (int i = 0; i < minutes * 60; ++i) {
            clock.advanceSeconds(1);
            presenter->tick();
        }
    };
    // Off.
    fs.put(kEvents, "On Mon at 09:50 AM, Shut Down, Repeat daily\r\n");
    EXPECT_TRUE(settings.save("warn", "0").ok());
    start();
    tickMinutes(8);
    EXPECT_TRUE(notifier->shown.empty());
    // An event the user has just made within the warning time: its own confirmation told of it.
    restart();
    fs = {};
    clock.set({2026, 12, 7, 9, 41, 20, 1});
    EXPECT_TRUE(settings.save("warn", "10").ok());
    start().quickaction(0);
    tickMinutes(5);
    EXPECT_TRUE(notifier->shown.empty());
    EXPECT_EQ(opened, 1);
    // No notifications: the hint asks until the event's time, and its answer skips a one-off by
    // removing it.
    restart();
    notifier->there = false;
    fs.put(kEvents, "On Mon at 09:55 AM, Reboot,    Don't repeat\r\n");
    EXPECT_TRUE(settings.save("warn", "5").ok());
    MainPresenter& p = start();
    tickMinutes(5);
    ASSERT_FALSE(view.hints.empty());
    EXPECT_EQ(view.hints.back()->confirmation, "Quelvo will restart this PC at 09:55 AM (in 5 minutes)");
    EXPECT_EQ(view.hints.back()->choices.size(), 2U);
    EXPECT_EQ(view.hints.back()->lifetimeMs, 300000);
    p.hint().choose("skip");
    EXPECT_EQ(events(), "");
    // A click on a notification.
    restart();
    notifier->there = true;
    fs.put(kEvents, "On Mon at 10:00 AM, Reboot,    Repeat daily\r\n");
    start().hidetotray();
    tickMinutes(5);
    ASSERT_EQ(notifier->shown.size(), 1U);
    notifier->answer(kNotifyClicked);
    EXPECT_FALSE(view.hidden);
    EXPECT_EQ(view.tab, MainTab::Options);
    // "Skip next" on the tab leaves that firing out.
    presenter->skipNext();
    EXPECT_EQ(view.nextLine, "Next: Reboot on Mon at 10:00 AM (in 7 d)");
}

// The machine's countdown has a window of its own: the user's, open for the user's own event, counts on.
TEST_F(MainPresenterTest, MachineCountdownOpensBesideTheUsersOwn)
{
    start();
    presenter->countdown(CountdownKind::Shutdown).open();
    machineLink.events.countdownStarted({"Mon 09:42 shutdown", false, 10});
    ASSERT_EQ(view.countdowns.built.size(), 2U);
    FakeCountdownView& users = *view.countdowns.built.front().second;
    FakeCountdownView& machines = *view.countdowns.built.back().second;
    EXPECT_EQ(users.note, "");
    EXPECT_EQ(machines.note, "Scheduled for this PC");
    presenter->countdown(CountdownKind::Shutdown).tick();
    machineLink.events.countdownEnded("fired", "");
    EXPECT_FALSE(machines.open);
    EXPECT_TRUE(users.open);
    EXPECT_EQ(users.seconds, "9");
    machineLink.events.countdownStarted({"Mon 09:42 shutdown", false, 10});
    presenter->machineEvents()->countdown().cancel();
    EXPECT_EQ(machineLink.requests, (std::vector<std::string>{"cancel"}));
    EXPECT_TRUE(users.open);
}

} // namespace
// Each way a countdown or a warned-of firing ends is written down once, naming the line it was for
// ("now" for the tray's requests); a history that cannot be written is said once and stops nothing.
TEST_F(MainPresenterTest, EachEndOfAFiringIsWrittenDownOnce)
{
    const std::string due = "On Mon at 09:41 AM, Shut Down, Repeat daily";
    const std::string later = "On Mon at 10:30 AM, Reboot,    Repeat daily";
    const auto count = [](MainPresenter& p) {
        for (int i = 0; i < 10; ++i)
            p.countdown(CountdownKind::Shutdown).tick();
    };
    const struct
    {
        const char* name;
        PowerOutcome outcome;
        std::function<void(MainPresenter&)> act;
        const char* action;
        std::string line;
        const char* result;
        const char* detail;
    } cases[] = {
        {"reached", {}, count, "shutdown", due, "fired", ""},
        {"refused", {true, "no permission"}, count, "shutdown", due, "failed", "no permission"},
        {"dry run", {false, "", true}, count, "shutdown", due, "dry-run", ""},
        {"cancel picture",
         {},
         [](MainPresenter& p) { p.countdown(CountdownKind::Shutdown).cancel(); },
         "shutdown",
         due,
         "cancelled",
         ""},
        {"window closed",
         {},
         [](MainPresenter& p) { p.countdown(CountdownKind::Shutdown).closed(); },
         "shutdown",
         due,
         "cancelled",
         ""},
        {"postpone button",
         {},
         [](MainPresenter& p) { p.countdown(CountdownKind::Shutdown).postpone(); },
         "shutdown",
         due,
         "postponed",
         ""},
        {"options postpone",
         {},
         [](MainPresenter& p) {
             p.countdown(CountdownKind::Shutdown).cancel();
             p.postponeNext();
         },
         "reboot",
         later,
         "postponed",
         ""},
        {"options skip",
         {},
         [](MainPresenter& p) {
             p.countdown(CountdownKind::Shutdown).cancel();
             p.skipNext();
         },
         "reboot",
         later,
         "skipped",
         ""},
        {"tray now",
         {},
         [](MainPresenter& p) {
             p.countdown(CountdownKind::Shutdown).cancel();
             p.runTrayCommand("reboot");
             p.countdown(CountdownKind::Reboot).tick();
         },
         "reboot",
         "now",
         "fired",
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        fs = {};
        settings = {}; // no record of the last case's firing
        fs.put(kEvents, due + "\r\n" + later + "\r\n");
        powerOutcome = c.outcome;
        MainPresenter& p = start();
        p.tick(); // the due line opens its countdown
        c.act(p);
        const std::vector<std::string> lines = history.read().lines;
        ASSERT_FALSE(lines.empty());
        // The cancels that clear the way for a case are written too; the case's own entry is last.
        const std::optional<HistoryRecord> entry = parseHistoryLine(lines.back());
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->origin, "user");
        EXPECT_EQ(entry->action, c.action);
        EXPECT_EQ(entry->line, c.line);
        EXPECT_EQ(entry->outcome, c.result);
        EXPECT_EQ(entry->detail, c.detail);
        EXPECT_EQ(entry->who, "alice");
        EXPECT_EQ(lines.size(), std::string(c.name).starts_with("options") || c.line == "now" ? 2U : 1U);
    }

    // A history that cannot be written: said once, and the requests go out all the same.
    restart();
    fs = {};
    powerOutcome = {};
    requests.clear();
    fs.failWrite.insert("/state/history.jsonl");
    MainPresenter& p = start();
    for (const char* command : {"shutdown", "shutdown"}) {
        p.runTrayCommand(command);
        p.countdown(CountdownKind::Shutdown).tick();
    }
    EXPECT_EQ(requests.size(), 2U);
    EXPECT_EQ(std::count(view.messages.begin(), view.messages.end(),
                         "Error!|Sorry, the history could not be written: injected: cannot append to "
                         "/state/history.jsonl"),
              1);
}

namespace {

const std::string kTurnedOff = "Your administrator has turned off schedules of your own on this PC.";

// The tray menu's entries that cannot be chosen, by caption.
std::vector<std::string> greyedEntries(const std::vector<TrayMenuItem>& menu)
{
    std::vector<std::string> greyed;
    for (const TrayMenuItem& item : menu)
        if (!item.enabled)
            greyed.push_back(item.caption);
    return greyed;
}

// Started with the user's own schedule turned off, the window shows the events on disk and says why
// it lets nobody change them; every way of making, changing or acting on an event is refused.
TEST_F(MainPresenterTest, ATurnedOffScheduleIsShownButNotChanged)
{
    const std::string onDisk = "On Mon at 09:50 AM, Shut Down, Repeat daily\r\n";
    fs.put(kEvents, onDisk);
    policy.userSchedule = false;
    MainPresenter& p = start();
    EXPECT_FALSE(p.userSchedule());
    EXPECT_EQ(view.policyLine, kTurnedOff);
    EXPECT_EQ(view.lines, std::vector<std::string>{"On Mon at 09:50 AM, Shut Down, Repeat daily"});
    EXPECT_EQ(view.nextLine, "Next: nothing scheduled");
    EXPECT_EQ(view.nextButtons, std::pair(false, false));
    // The About tab, the list and the hide pictures stay usable.
    EXPECT_EQ(view.disabled, (std::set<std::string>{
                                 "chk_mon",    "chk_tue",    "chk_wed",   "chk_thu",  "chk_fri",      "chk_sat",
                                 "chk_sun",    "Command1",   "txt_hr",    "txt_min",  "com_am",       "chk_shutdown",
                                 "chk_reboot", "chk_repeat", "com_save",  "Check1",   "chk_forced",   "com_del",
                                 "Command2",   "Command3",   "Command4",  "Command5", "Command6",     "Command7",
                                 "Command8",   "Command9",   "Command10", "txt_warn", "txt_postpone", "chk_nexttip"}));
    EXPECT_EQ(greyedEntries(view.trayView.menu),
              (std::vector<std::string>{"&Shut down PC now!", "&Forced Shut down now!", "&Re Boot PC now!",
                                        "ShutDown in 5 minutes", "ShutDown in 15 minutes", "ShutDown in 30 minutes",
                                        "ShutDown in 60 minutes", "ReBoot in 5 minutes", "ReBoot in 15 minutes",
                                        "ReBoot in 30 minutes", "ReBoot in 60 minutes"}));

    view.setChecked(MainBox::Monday, true);
    view.setChecked(MainBox::Shutdown, true);
    view.selected = 0;
    EXPECT_TRUE(settings.save("forced", "False").ok());
    const std::pair<const char*, std::function<void()>> attempts[] = {
        {"shutdown", [&] { p.runTrayCommand("shutdown"); }},
        {"shutdownforce", [&] { p.runTrayCommand("shutdownforce"); }},
        {"s5", [&] { p.runTrayCommand("s5"); }},
        {"Save", [&] { p.saveevent(); }},
        {"Delete Selected", [&] { p.deleteevent(); }},
        {"Delete All", [&] { p.deleteall(); }},
        {"Postpone next", [&] { p.postponeNext(); }},
        {"Skip next", [&] { p.skipNext(); }},
    };
    for (const auto& [name, attempt] : attempts) {
        SCOPED_TRACE(name);
        view.messages.clear();
        attempt();
        EXPECT_EQ(view.messages, std::vector<std::string>{"Quelvo|" + kTurnedOff});
    }
    EXPECT_EQ(events(), onDisk);
    EXPECT_TRUE(view.countdowns.built.empty());
    EXPECT_EQ(settings.get("forced", ""), "False");
    EXPECT_EQ(settings.get("skips", ""), "");
    EXPECT_FALSE(p.hint().isOpen());
}

// Turned off while the program runs (read again on each tick), the schedule stops firing and its
// warning goes; what came due meanwhile stays on disk and does not fire once the schedule is turned
// back on, which gives the window and the menu back and fires the next event on time.
TEST_F(MainPresenterTest, ATurnedOffScheduleFiresNothingUntilItIsBack)
{
    const std::string onDisk = "On Mon at 09:42 AM, Shut Down, Don't repeat\r\nOn Mon at 09:44 AM, Reboot,    "
                               "Repeat daily\r\n";
    fs.put(kEvents, onDisk);
    MainPresenter& p = start(); // Monday 09:41:20
    p.tick();
    ASSERT_EQ(notifier->shown.size(), 1U); // the 09:42 shutdown is warned of
    const int closed = notifier->closed;
    policy.userSchedule = false; // the administrator's change, read on the next tick
    p.tick();
    EXPECT_EQ(notifier->closed, closed + 1);
    EXPECT_EQ(view.policyLine, kTurnedOff);
    EXPECT_EQ(view.disabled.count("com_save"), 1U);
    EXPECT_EQ(greyedEntries(view.trayView.menu).size(), 11U);
    EXPECT_EQ(view.nextButtons, std::pair(false, false));

    for (int second = 0; second < 100; ++second) { // to 09:43:00
        clock.advanceSeconds(1);
        p.tick();
    }
    EXPECT_TRUE(view.countdowns.built.empty());
    EXPECT_EQ(notifier->shown.size(), 1U);
    EXPECT_EQ(events(), onDisk);

    policy = Policy{};
    p.tick();
    EXPECT_TRUE(p.userSchedule());
    EXPECT_EQ(view.policyLine, "");
    EXPECT_TRUE(view.disabled.empty());
    EXPECT_TRUE(greyedEntries(view.trayView.menu).empty());
    EXPECT_EQ(view.nextLine, "Next: Reboot on Mon at 09:44 AM (in 1 min)");
    EXPECT_EQ(view.nextButtons, std::pair(true, true));
    clock.advanceSeconds(1);
    p.tick();
    EXPECT_TRUE(view.countdowns.built.empty()); // the missed 09:42 is not caught up
    clock.advanceSeconds(59);
    p.tick();
    ASSERT_NE(countdown(CountdownKind::Reboot), nullptr);
    EXPECT_EQ(countdown(CountdownKind::Shutdown), nullptr);
}

} // namespace
} // namespace quelvo
