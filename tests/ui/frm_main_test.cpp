#include "fakes/fake_clock.h"
#include "fakes/fake_file_system.h"
#include "fakes/fake_settings.h"
#include "platform/autostart.h"
#include "platform/instance_messenger.h"
#include "platform/single_instance.h"
#include "ui/countdown_window.h"
#include "ui/frm_main.h"
#include "ui/hint_window.h"
#include "ui/message_box.h"
#include "ui/sys_tray.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

using namespace quelvo;
using quelvo::test::FakeClock;
using quelvo::test::FakeFileSystem;
using quelvo::test::FakeSettings;

namespace {

class FakeAutostart final : public Autostart
{
public:
    std::string GetRegString(std::string_view def) const override { return stored ? *stored : std::string(def); }
    IoResult SetRegString(std::string_view command) override
    {
        ++writes;
        if (!failWith.empty())
            return IoResult::failure(failWith);
        stored = std::string(command);
        return IoResult::success();
    }
    std::optional<std::string> stored;
    std::string failWith;
    int writes = 0;
};

class FakeInstance final : public SingleInstance
{
public:
    State acquire() override { return state; }
    [[nodiscard]] std::string lockError() const override
    {
        return state == State::NoLock ? "cannot create /run/user/1000/quelvo.lock: Read-only file system" : "";
    }
    State state = State::Only;
};

// Keeps the listener, so a test can play the later copy's knock.
class FakeMessenger final : public InstanceMessenger
{
public:
    bool listen(std::function<void(bool)> onKnock) override
    {
        listener = std::move(onKnock);
        return true;
    }
    bool knock() override
    {
        ++knocks;
        return true;
    }
    std::function<void(bool)> listener;
    int knocks = 0;
};

const char* const kFolder = "/prog";
const char* const kEvents = "/prog/events.ini";

// One main window over fakes, started at Monday 2026-12-07 09:41.
struct Fixture
{
    FakeSettings settings;
    FakeFileSystem fs;
    FakeClock clock{{2026, 12, 7, 9, 41, 20, 1}};
    FakeAutostart autostart;
    FakeInstance instance;
    FakeMessenger messenger;
    bool trayThere = true; // a notification area to hide into; may change while the window lives
    std::string amDesignator = "AM";
    std::vector<std::pair<CountdownKind, bool>> requests;
    int ended = 0;
    std::unique_ptr<FrmMain> window;

    FrmMain& start()
    {
        MainWindowServices services{settings, fs, clock, autostart, instance, messenger, {},
                                    {},       {}, {},    {},        {},       {},        {}};
        services.folder = kFolder;
        services.programPath = "/opt/quelvo/quelvo";
        services.versionName = "unknown";
        services.amPmDesignator = amDesignator;
        services.powerAction = [this](CountdownKind kind, bool forced) {
            requests.emplace_back(kind, forced);
            return PowerOutcome{};
        };
        services.endProgram = [this] { ++ended; };
        services.trayAvailable = [this] { return trayThere; };
        window = std::make_unique<FrmMain>(services);
        loaded = window->Form_Load();
        return *window;
    }
    bool loaded = false;
};

// Clicks a check box on its indicator: a click beyond its caption does not count as a hit.
void clickBox(QCheckBox* box)
{
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

} // namespace

class FrmMainTest final : public QObject
{
    Q_OBJECT

private slots:
    void init() { MessageBox::setHeadless(true); }
    void cleanup()
    {
        for (auto kind : {CountdownKind::Shutdown, CountdownKind::Reboot})
            if (auto* w = CountdownWindow::find(kind))
                delete w;
        if (auto* hint = HintWindow::current())
            delete hint;
    }

    void freshStoreStartsIn12HourModeWithDefaults()
    {
        Fixture f;
        FrmMain& w = f.start();
        QVERIFY(f.loaded);
        QCOMPARE(w.windowTitle(), QStringLiteral("Quelvo"));
        QCOMPARE(w.SSTab1->currentIndex(), 0);
        QCOMPARE(w.SSTab1->count(), 4);
        QCOMPARE(w.SSTab1->tabText(3), QStringLiteral("Sleep / timed off"));
        // A user with AM/PM gets no stored mode: the first-start test runs again next time.
        QCOMPARE(f.settings.get("24hr", "none"), std::string("none"));
        QVERIFY(!w.Check1->isChecked());
        QVERIFY(!w.com_am->isHidden());
        QCOMPARE(w.txt_hr->currentText(), QStringLiteral("9"));
        QCOMPARE(w.txt_min->currentText(), QStringLiteral("41"));
        QCOMPARE(w.com_am->currentText(), QStringLiteral("AM"));
        QCOMPARE(w.com_am->count(), 2);
        QCOMPARE(w.txt_hr->count(), 12);
        QCOMPARE(w.txt_min->count(), 60);
        // Forced shut down starts ticked and is stored as a click would store it.
        QVERIFY(w.chk_forced->isChecked());
        QCOMPARE(f.settings.get("forced", ""), std::string("True"));
        QVERIFY(!w.chk_pause->isChecked());
        QVERIFY(!w.chk_lww->isChecked());
        // The schedule exists from now on.
        QCOMPARE(f.fs.content(kEvents), std::optional<std::string>(""));
        QCOMPARE(w.lab_vers->text(), QStringLiteral("This is version 2.1.5"));
        QCOMPARE(w.lab_windows->text(), QStringLiteral("You are using unknown"));
        QVERIFY(w.Timer1->isActive());
        QCOMPARE(w.Timer1->interval(), 1000);
    }

    void localeWithoutAmPmStores24HourMode()
    {
        Fixture f;
        f.amDesignator = "";
        const int before = MessageBox::count();
        FrmMain& w = f.start();
        QCOMPARE(f.settings.get("24hr", ""), std::string("True"));
        QVERIFY(w.Check1->isChecked());
        QVERIFY(w.com_am->isHidden());
        QVERIFY(w.Label9->isHidden());
        QCOMPARE(w.txt_hr->currentText(), QStringLiteral("09"));
        QCOMPARE(w.txt_hr->count(), 24);
        QCOMPARE(MessageBox::count(), before); // no warning at start-up
    }

    void storedModesWin()
    {
        const int before = MessageBox::count();
        Fixture twelve;
        twelve.amDesignator = "";
        twelve.settings.save("24hr", "False");
        twelve.clock.set({2026, 12, 7, 23, 7, 0, 1});
        FrmMain& w12 = twelve.start();
        QVERIFY(!w12.Check1->isChecked());
        QCOMPARE(w12.txt_hr->currentText(), QStringLiteral("11"));
        QCOMPARE(w12.txt_min->currentText(), QStringLiteral("07"));
        QCOMPARE(w12.com_am->currentText(), QStringLiteral("PM"));

        Fixture day;
        day.settings.save("24hr", "True");
        day.settings.save("pause", "True");
        day.settings.save("forced", "False");
        FrmMain& w24 = day.start();
        QVERIFY(w24.Check1->isChecked());
        QVERIFY(w24.chk_pause->isChecked());
        QVERIFY(!w24.chk_forced->isChecked());
        QCOMPARE(w24.txt_hr->currentText(), QStringLiteral("09"));
        QCOMPARE(MessageBox::count(), before); // the stored mode agrees with the box: no warning
    }

    void secondCopyEndsWithoutTouchingAnything()
    {
        // The user's other copy runs: it is told, silently. No lock at all: this copy says so.
        for (const auto state : {SingleInstance::State::AnotherCopyRuns, SingleInstance::State::NoLock}) {
            const int before = MessageBox::count();
            Fixture f;
            f.instance.state = state;
            f.start();
            QVERIFY(!f.loaded);
            QCOMPARE(f.fs.writes, 0);
            QCOMPARE(f.settings.writes, 0);
            QVERIFY(f.window->tray() == nullptr);
            QVERIFY(!f.messenger.listener); // this copy never listens in the running one's place
            const bool noLock = state == SingleInstance::State::NoLock;
            QCOMPARE(f.messenger.knocks, noLock ? 0 : 1);
            QCOMPARE(MessageBox::count(), before + (noLock ? 1 : 0));
            if (noLock) {
                QCOMPARE(MessageBox::lastTitle(), QStringLiteral("Error!"));
                QCOMPARE(MessageBox::lastText(),
                         QStringLiteral("Sorry, Quelvo cannot make sure that it runs only once, so it ends now: "
                                        "cannot create /run/user/1000/quelvo.lock: Read-only file system"));
            }
        }
    }

    void laterCopyBringsTheWindowForwardOnlyWithoutATray()
    {
        for (const bool trayThere : {true, false}) {
            Fixture f;
            f.trayThere = trayThere;
            FrmMain& w = f.start();
            QCOMPARE(f.messenger.knocks, 0);
            QVERIFY(f.messenger.listener);
            w.show();
            w.SSTab1->setCurrentIndex(FrmMain::TabSleep);
            w.hidetotray();
            // Without a notification area the window waits on the task bar instead of vanishing.
            QCOMPARE(w.isVisible(), !trayThere);
            QVERIFY(w.isMinimized());
            QCOMPARE(f.settings.get("hide", ""), std::string("1"));

            f.messenger.listener(false);
            QCOMPARE(w.isVisible(), !trayThere);
            QCOMPARE(w.isMinimized(), trayThere); // with a tray the running copy is left as it was
            QCOMPARE(f.settings.get("hide", ""), std::string(trayThere ? "1" : "0"));
            QCOMPARE(w.SSTab1->currentIndex(), int(FrmMain::TabSleep));

            // A start from the application menu asks for the window, tray or not.
            w.hidetotray();
            f.messenger.listener(true);
            QVERIFY(w.isVisible());
            QVERIFY(!w.isMinimized());
            QCOMPARE(f.settings.get("hide", ""), std::string("0"));
        }
    }

    void notificationAreaThatComesLaterIsUsedFromThenOn()
    {
        Fixture f;
        f.trayThere = false;
        f.settings.save("hide", "1"); // the user left the window hidden last time
        FrmMain& w = f.start();
        w.show();
        w.checker().checkevents();
        // The checker's auto-hide has nowhere to hide into: the window stays in sight.
        QVERIFY(w.isVisible());
        QVERIFY(!w.isMinimized());
        QVERIFY(HintWindow::current() == nullptr); // no hint about an icon that is not there
        QCOMPARE(f.settings.GetSetting("Quelvo", "data", "runs1", "none"), std::string("none"));

        f.trayThere = true; // the desktop's notification area has started since
        w.hidetotray();
        QVERIFY(!w.isVisible());
        f.messenger.listener(false);
        QVERIFY(!w.isVisible());
        w.runTrayCommand(QStringLiteral("show"));
        QVERIFY(w.isVisible());
    }

    void hiddenWindowComesBackWhenTheNotificationAreaGoes()
    {
        Fixture f;
        FrmMain& w = f.start();
        w.show();
        w.hidetotray();
        QTest::qWait(CountdownWindow::kTickMs + 200);
        QVERIFY(!w.isVisible()); // the tray is there: the window stays hidden
        f.trayThere = false;     // the panel holding the icon has gone
        QTRY_VERIFY_WITH_TIMEOUT(w.isVisible(), 2500);
        QVERIFY(w.isMinimized());
    }

    void trayMenuHasItsEntriesWithExitAsDefault()
    {
        Fixture f;
        FrmMain& w = f.start();
        const auto& items = w.tray()->model().items();
        QCOMPARE(static_cast<int>(items.size()), 24);
        QCOMPARE(QString::fromStdString(items[0].caption), QStringLiteral("&Show main window"));
        QCOMPARE(QString::fromStdString(items[23].caption), QStringLiteral("&Exit"));
        QCOMPARE(w.tray()->DefaultMenuIndex(), 23);
        QCOMPARE(w.tray()->ToolTip(), QStringLiteral("Double click me for menu, Quelvo from Velmor Software."));
    }

    void hidingCountsAndShowsTheHintFourTimes()
    {
        Fixture f;
        FrmMain& w = f.start();
        w.show();
        for (int i = 1; i <= 5; ++i) {
            if (auto* hint = HintWindow::current())
                delete hint;
            w.hidetotray();
            QVERIFY(!w.isVisible());
            QCOMPARE(f.settings.get("hide", ""), std::string("1"));
            QCOMPARE(HintWindow::current() != nullptr, i < 5);
            w.showmainwindow(-1);
        }
        QCOMPARE(f.settings.GetSetting("Quelvo", "data", "runs1", ""), std::string("5"));
    }

    void showCommandsRestoreTheWindowOnTheirTab()
    {
        struct Case
        {
            const char* key;
            int tab;
        };
        const Case cases[] = {{"show", 3}, {"set", 1}, {"delete", 2}, {"about", 0}};
        for (const auto& c : cases) {
            for (int state = 0; state < 3; ++state) {
                Fixture f;
                FrmMain& w = f.start();
                w.SSTab1->setCurrentIndex(3);
                if (state == 0)
                    w.hidetotray();
                else if (state == 1)
                    w.showMinimized();
                else
                    w.show();
                w.runTrayCommand(QString::fromLatin1(c.key));
                QVERIFY(w.isVisible());
                QVERIFY(!w.isMinimized());
                QCOMPARE(w.SSTab1->currentIndex(), c.tab);
                QCOMPARE(f.settings.get("hide", ""), std::string("0"));
                QVERIFY(!w.checker().autohidden());
            }
        }
    }

    void unknownAndWrongCaseKeysDoNothing()
    {
        Fixture f;
        FrmMain& w = f.start();
        const int writes = f.settings.writes;
        for (const char* key : {"Show", "EXIT", "S5", "nothing", ""})
            w.runTrayCommand(QString::fromLatin1(key));
        QCOMPARE(f.settings.writes, writes);
        QCOMPARE(f.ended, 0);
        QVERIFY(CountdownWindow::find(CountdownKind::Shutdown) == nullptr);
        QCOMPARE(f.fs.content(kEvents), std::optional<std::string>(""));
    }

    void shutdownNowActsAtTheNextTick()
    {
        Fixture f;
        FrmMain& w = f.start();
        w.chk_forced->setChecked(false);
        w.runTrayCommand(QStringLiteral("shutdownforce"));
        auto* countdown = CountdownWindow::find(CountdownKind::Shutdown);
        QVERIFY(countdown);
        QCOMPARE(countdown->findChild<QLabel*>(QStringLiteral("lab_sec"))->text(), QStringLiteral("0"));
        QVERIFY(w.chk_forced->isChecked());
        QCOMPARE(f.settings.get("forced", ""), std::string("True"));
        QTRY_COMPARE_WITH_TIMEOUT(f.requests.size(), std::size_t(1), 2500);
        QCOMPARE(f.requests[0].first, CountdownKind::Shutdown);
        QVERIFY(f.requests[0].second);
        QTRY_COMPARE(f.ended, 1);
    }

    void shutdownNowCutsADueEventsCountShort()
    {
        Fixture f;
        f.fs.put(kEvents, "On Mon at 09:41 AM, Shut Down, Repeat daily\r\n");
        FrmMain& w = f.start();
        w.checker().checkevents();
        CountdownWindow* countdown = CountdownWindow::find(CountdownKind::Shutdown);
        QVERIFY(countdown);
        QTRY_COMPARE_WITH_TIMEOUT(countdown->SecondsLeft(), 9, 2500);
        w.runTrayCommand(QStringLiteral("shutdown"));
        QCOMPARE(CountdownWindow::find(CountdownKind::Shutdown), countdown); // the same window, not a new count
        QCOMPARE(countdown->findChild<QLabel*>(QStringLiteral("lab_sec"))->text(), QStringLiteral("0"));
        // It acts at its next tick, not eight seconds later.
        QTRY_COMPARE_WITH_TIMEOUT(f.requests.size(), std::size_t(1), 1500);
        QCOMPARE(f.requests[0].first, CountdownKind::Shutdown);
        QTRY_COMPARE(f.ended, 1);
    }

    void firedRebootWindowReopenedDoesNothingMore()
    {
        Fixture f;
        FrmMain& w = f.start();
        w.runTrayCommand(QStringLiteral("reboot"));
        QTRY_COMPARE_WITH_TIMEOUT(f.requests.size(), std::size_t(1), 2500);
        QCOMPARE(f.requests[0].first, CountdownKind::Reboot);
        CountdownWindow* fired = CountdownWindow::find(CountdownKind::Reboot);
        QVERIFY(fired); // a reboot request leaves its window standing
        QCOMPARE(fired->state(), Countdown::State::Fired);

        w.runTrayCommand(QStringLiteral("reboot"));
        QCOMPARE(CountdownWindow::find(CountdownKind::Reboot), fired);
        QTest::qWait(2 * CountdownWindow::kTickMs + 200);
        QCOMPARE(f.requests.size(), std::size_t(1));
        QCOMPARE(f.ended, 0);
    }

    void exitDuringACountdownEndsWithoutARequest()
    {
        Fixture f;
        FrmMain& w = f.start();
        w.openCountdown(false);
        w.runTrayCommand(QStringLiteral("exit"));
        QCOMPARE(f.ended, 1);
        QVERIFY(w.tray() == nullptr);
        QVERIFY(f.requests.empty());
    }

    void quickActionFromTheTrayKeepsTheWindowHidden()
    {
        Fixture f;
        FrmMain& w = f.start();
        w.hidetotray();
        if (auto* hint = HintWindow::current())
            delete hint;
        w.runTrayCommand(QStringLiteral("s15"));
        QVERIFY(!w.isVisible());
        QCOMPARE(f.fs.content(kEvents), std::optional<std::string>("On Mon at 09:56 AM, Shut Down, Don't repeat\r\n"));
        QCOMPARE(w.lst_events->count(), 1);
        QVERIFY(HintWindow::current());
        QCOMPARE(HintWindow::current()->label()->text(), QStringLiteral("This computer will ShutDown in 15 minutes"));
        QCOMPARE(w.SSTab1->currentIndex(), 2);
    }

    void saveShowsTheFirstFailedCheckAndWritesNothing()
    {
        Fixture f;
        FrmMain& w = f.start();
        w.com_save->click();
        QCOMPARE(MessageBox::lastTitle(), QStringLiteral("Error!"));
        QCOMPARE(MessageBox::lastText(), QStringLiteral("Sorry, you didn`t select a day. Please try again!"));
        QCOMPARE(MessageBox::lastIcon(), MessageBox::Icon::Stop);
        w.chk_days[0]->setChecked(true);
        w.txt_hr->setEditText(QStringLiteral("13"));
        w.com_save->click();
        QVERIFY(MessageBox::lastText().contains(QStringLiteral("between 1 and 12")));
        QCOMPARE(w.txt_hr->currentText(), QStringLiteral("13")); // no padding after a failed check
        QCOMPARE(f.fs.content(kEvents), std::optional<std::string>(""));
    }

    void saveAppendsPaddedLinesMondayFirstAndShowsThem()
    {
        Fixture f;
        FrmMain& w = f.start();
        w.chk_days[4]->setChecked(true); // Friday
        w.chk_days[0]->setChecked(true); // Monday
        w.txt_hr->setEditText(QStringLiteral("7"));
        w.txt_min->setEditText(QStringLiteral("5"));
        w.com_am->setEditText(QStringLiteral("am"));
        w.chk_shutdown->setChecked(true);
        w.chk_repeat->setChecked(true);
        w.com_save->click();
        QCOMPARE(w.txt_hr->currentText(), QStringLiteral("07"));
        QCOMPARE(w.txt_min->currentText(), QStringLiteral("05"));
        QCOMPARE(f.fs.content(kEvents), std::optional<std::string>("On Mon at 07:05 AM, Shut Down, Repeat daily\r\n"
                                                                   "On Fri at 07:05 AM, Shut Down, Repeat daily\r\n"));
        QCOMPARE(w.SSTab1->currentIndex(), 2);
        QCOMPARE(w.ListView1->topLevelItemCount(), 2);
        // Descending on the first column: Mon before Fri.
        QCOMPARE(w.ListView1->topLevelItem(0)->text(0), QStringLiteral(" Mon at 07:05 AM"));
        QCOMPARE(w.ListView1->topLevelItem(1)->text(2), QStringLiteral(" Repeat daily"));
    }

    void failedSaveSaysSoAndStaysOnTheEditor()
    {
        Fixture f;
        FrmMain& w = f.start();
        w.SSTab1->setCurrentIndex(1);
        f.fs.failWrite.insert(kEvents);
        w.chk_days[0]->setChecked(true);
        w.chk_reboot->setChecked(true);
        w.com_save->click();
        QCOMPARE(MessageBox::lastTitle(), QStringLiteral("Error!"));
        QVERIFY(MessageBox::lastText().contains(QString::fromLatin1(kEvents)));
        QCOMPARE(w.SSTab1->currentIndex(), 1);
    }

    void deletingNeedsASelectedRowAndRemovesEveryCopy()
    {
        Fixture f;
        f.fs.put(kEvents, "On Mon at 07:30 AM, Shut Down, Repeat daily\r\n"
                          "On Fri at 11:45 PM, Reboot,    Don't repeat\r\n"
                          "on mon at 07:30 am, shut down, repeat daily\r\n");
        FrmMain& w = f.start();
        QCOMPARE(w.ListView1->topLevelItemCount(), 3);
        w.com_del->click();
        QCOMPARE(MessageBox::lastText(), QStringLiteral("Sorry, you have to select an entry from the above list "
                                                        "before I can delete anything."));
        w.ListView1->setCurrentItem(w.ListView1->topLevelItem(0));
        w.com_del->click();
        QCOMPARE(f.fs.content(kEvents), std::optional<std::string>("On Fri at 11:45 PM, Reboot,    Don't repeat\r\n"));
        QCOMPARE(w.ListView1->topLevelItemCount(), 1);

        MessageBox::setNextAnswer(false);
        w.Command2->click();
        QCOMPARE(MessageBox::lastTitle(), QStringLiteral("Warning!"));
        QCOMPARE(w.lst_events->count(), 1);
        MessageBox::setNextAnswer(true);
        w.Command2->click();
        QCOMPARE(f.fs.content(kEvents), std::optional<std::string>(""));
        QCOMPARE(w.lst_events->count(), 0);
        QCOMPARE(w.ListView1->topLevelItemCount(), 0);
    }

    void clockModeSwitchWarnsAndKeepsTwoAmPmEntries()
    {
        Fixture f;
        FrmMain& w = f.start();
        const int before = MessageBox::count();
        w.Check1->setChecked(true);
        QCOMPARE(MessageBox::count(), before + 1);
        QCOMPARE(MessageBox::lastTitle(), QStringLiteral("Warning!"));
        QCOMPARE(f.settings.get("24hr", ""), std::string("True"));
        QVERIFY(w.com_am->isHidden());
        for (int i = 0; i < 3; ++i) {
            w.Check1->setChecked(false);
            w.Check1->setChecked(true);
        }
        w.Check1->setChecked(false);
        QCOMPARE(f.settings.get("24hr", ""), std::string("False"));
        QCOMPARE(w.com_am->count(), 2);
        QCOMPARE(w.txt_hr->count(), 12);
    }

    void pointerMovesStoreThePositionInTwipsAndOnlyTheLeftButtonDrags()
    {
        Fixture f;
        f.settings.save("x", "1500");
        f.settings.save("y", "3000");
        FrmMain& w = f.start();
        w.show();
        QCOMPARE(w.pos(), QPoint(100, 200)); // 15 twips per pixel at 96 dpi
        QWidget* page = w.SSTab1->widget(0);
        const QPoint inside(5, page->height() - 5);

        // A move without a button writes the unchanged position; the store sees no change.
        const int writes = f.settings.writes;
        QTest::mouseMove(page, inside);
        QCOMPARE(f.settings.get("x", ""), std::string("1500"));

        // The right button does not drag.
        QTest::mousePress(page, Qt::RightButton, {}, inside);
        QTest::mouseMove(page, inside + QPoint(30, 0));
        QTest::mouseRelease(page, Qt::RightButton, {}, inside + QPoint(30, 0));
        QCOMPARE(w.pos(), QPoint(100, 200));

        // The left button on the tab control's background moves the window and stores where it stands.
        QTest::mousePress(page, Qt::LeftButton, {}, inside);
        QMouseEvent move(QEvent::MouseMove, QPointF(inside + QPoint(20, 10)),
                         QPointF(page->mapToGlobal(inside + QPoint(20, 10))), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(page, &move);
        QTest::mouseRelease(page, Qt::LeftButton, {}, inside + QPoint(20, 10));
        QCOMPARE(w.pos(), QPoint(120, 210));
        QCOMPARE(f.settings.get("x", ""), std::string("1800"));
        QCOMPARE(f.settings.get("y", ""), std::string("3150"));
        QVERIFY(f.settings.writes > writes);
    }

    void autostartFollowsThePointerNotTheKeyboard()
    {
        Fixture f;
        f.autostart.stored = "/old/quelvo";
        FrmMain& w = f.start();
        QVERIFY(w.chk_lww->isChecked()); // a non-empty entry ticks the box, writing nothing
        QCOMPARE(f.autostart.writes, 0);
        w.show();
        clickBox(w.chk_lww);
        QCOMPARE(f.autostart.stored, std::optional<std::string>(""));
        clickBox(w.chk_lww);
        QCOMPARE(f.autostart.stored, std::optional<std::string>("/opt/quelvo/quelvo"));
        QTest::keyClick(w.chk_lww, Qt::Key_Space);
        QVERIFY(!w.chk_lww->isChecked());
        QCOMPARE(f.autostart.writes, 2);

        // A failed write says why and shows the entry's real state.
        f.autostart.failWith = "read-only file system";
        clickBox(w.chk_lww);
        QCOMPARE(MessageBox::lastTitle(), QStringLiteral("Error!"));
        QVERIFY(MessageBox::lastText().contains(QStringLiteral("read-only file system")));
        QVERIFY(w.chk_lww->isChecked()); // the entry still holds the program
    }

    void unreadableScheduleIsSaidOnceAndTheProgramRuns()
    {
        Fixture f;
        f.fs.special.insert(kEvents); // a FIFO in the schedule's place
        const int before = MessageBox::count();
        FrmMain& w = f.start();
        QVERIFY(f.loaded);
        QCOMPARE(MessageBox::count(), before + 1);
        QCOMPARE(MessageBox::lastTitle(), QStringLiteral("Error!"));
        QCOMPARE(MessageBox::lastText(), QStringLiteral("Sorry, the list of events could not be read: "
                                                        "/prog/events.ini is a FIFO, not a regular file"));
        w.loadlist(); // the checker's next reload says nothing new
        QCOMPARE(MessageBox::count(), before + 1);
        QVERIFY(w.Timer1->isActive());
    }

    void actionPairFollowsTheMouseRelease()
    {
        Fixture f;
        FrmMain& w = f.start();
        w.show();
        clickBox(w.chk_shutdown);
        clickBox(w.chk_reboot);
        QVERIFY(w.chk_reboot->isChecked());
        QVERIFY(!w.chk_shutdown->isChecked());
        clickBox(w.chk_reboot); // clicking the checked one keeps it checked
        QVERIFY(w.chk_reboot->isChecked());
        QTest::keyClick(w.chk_shutdown, Qt::Key_Space); // the keyboard can check both
        QVERIFY(w.chk_shutdown->isChecked() && w.chk_reboot->isChecked());
    }
};

QTEST_MAIN(FrmMainTest)
#include "frm_main_test.moc"
