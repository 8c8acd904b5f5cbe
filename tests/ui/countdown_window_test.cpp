#include "ui/countdown_window.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace quelvo {

// Drives the windows through their own timers, sped up, and records what they ask for.
class CountdownWindowTest final : public QObject
{
    Q_OBJECT

    struct Record
    {
        int forcedReads = 0;
        bool forced = true;
        QList<QPair<CountdownKind, bool>> acts;
        QStringList secondsAtAct;
        int ends = 0;
        QStringList errors;
        PowerOutcome answer;
    };

    Record m_record;

    CountdownHooks hooks()
    {
        CountdownHooks h;
        h.forcedAtZero = [this] {
            ++m_record.forcedReads;
            return m_record.forced;
        };
        h.act = [this](CountdownKind kind, bool forced) {
            m_record.acts.append({kind, forced});
            if (auto* w = CountdownWindow::find(kind))
                m_record.secondsAtAct.append(w->findChild<QLabel*>(QStringLiteral("lab_sec"))->text());
            return m_record.answer;
        };
        h.endProgram = [this] { ++m_record.ends; };
        h.showError = [this](const QString& message) { m_record.errors.append(message); };
        return h;
    }

    static QTimer* timerOf(QWidget* w) { return w->findChild<QTimer*>(QStringLiteral("Timer1")); }
    static QLabel* label(QWidget* w, const char* name) { return w->findChild<QLabel*>(QString::fromUtf8(name)); }
    static void speedUp(QWidget* w, int ms = 10) { timerOf(w)->setInterval(ms); }

private slots:
    void init() { m_record = {}; }

    void cleanup()
    {
        for (const auto kind : {CountdownKind::Shutdown, CountdownKind::Reboot}) {
            if (auto* w = CountdownWindow::find(kind))
                w->cancel();
        }
        QTRY_VERIFY(!CountdownWindow::find(CountdownKind::Shutdown) && !CountdownWindow::find(CountdownKind::Reboot));
    }

    void loadsWithItsDesign_data()
    {
        QTest::addColumn<CountdownKind>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("actionName");
        QTest::addColumn<QString>("actionText");
        QTest::addColumn<int>("width");
        QTest::newRow("shutdown") << CountdownKind::Shutdown << "frm_shutdown"
                                  << "Quelvo: Shut down"
                                  << "lab_shutdown"
                                  << "SHUT DOWN" << 300;
        QTest::newRow("reboot") << CountdownKind::Reboot << "frm_reboot"
                                << "Quelvo: Re boot"
                                << "lab_reboot"
                                << "RE BOOT" << 298;
    }

    void loadsWithItsDesign()
    {
        QFETCH(CountdownKind, kind);
        QFETCH(QString, name);
        QFETCH(QString, title);
        QFETCH(QString, actionName);
        QFETCH(QString, actionText);
        QFETCH(int, width);

        auto* w = CountdownWindow::open(kind, hooks());
        QCOMPARE(w->objectName(), name);
        QCOMPARE(w->windowTitle(), title);
        QVERIFY(w->isVisible());
        QVERIFY(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(w->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        QVERIFY(w->testAttribute(Qt::WA_ShowWithoutActivating));
        const bool at96 = w->logicalDpiX() == 96;
        if (at96)
            QCOMPARE(w->size(), QSize(width, 300));
        QCOMPARE(label(w, "lab_sec")->text(), QStringLiteral("10"));
        QCOMPARE(w->findChild<QLabel*>(actionName)->text(), actionText);
        QVERIFY(label(w, "Image1"));
        QLabel* cancel = label(w, "Image2");
        QVERIFY(cancel);
        QCOMPARE(cancel->toolTip(), QStringLiteral("Click here to cancel"));
        if (at96)
            QCOMPARE(cancel->size(), QSize(127, 29));
        QTimer* timer = timerOf(w);
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 1000);
        QCOMPARE(timer->timerType(), Qt::PreciseTimer);
    }

    void shutdownCountsDownThenEndsTheProgram()
    {
        auto* w = CountdownWindow::open(CountdownKind::Shutdown, hooks());
        QLabel* action = label(w, "lab_shutdown");
        speedUp(w, 100);
        QTRY_VERIFY(w->SecondsLeft() < 10);
        const int left = w->SecondsLeft();
        QCOMPARE(label(w, "lab_sec")->text(), QString::number(left));
        QCOMPARE(action->isHidden(), left % 2 == 1); // blinks: hidden after odd ticks
        speedUp(w);
        QTRY_COMPARE(m_record.ends, 1);
        QCOMPARE(m_record.acts.size(), 1);
        QCOMPARE(m_record.acts[0].second, true);
        QCOMPARE(m_record.secondsAtAct, QStringList{QStringLiteral("0")});
        QCOMPARE(m_record.forcedReads, 1);
        QTRY_VERIFY(!CountdownWindow::find(CountdownKind::Shutdown));
    }

    void forcedIsReadAtZero()
    {
        m_record.forced = true;
        auto* w = CountdownWindow::open(CountdownKind::Shutdown, hooks());
        m_record.forced = false; // cleared during the count
        w->zerocount();
        speedUp(w);
        QTRY_COMPARE(m_record.acts.size(), 1);
        QCOMPARE(m_record.acts[0].second, false);
    }

    void openingAnOpenWindowChangesNothing()
    {
        auto* first = CountdownWindow::open(CountdownKind::Shutdown, hooks());
        speedUp(first, 100);
        QTRY_VERIFY(first->SecondsLeft() < 10);
        timerOf(first)->stop();
        const int left = first->SecondsLeft();
        int otherCalls = 0;
        CountdownHooks other;
        other.act = [&](CountdownKind, bool) {
            ++otherCalls;
            return PowerOutcome{};
        };
        auto* second = CountdownWindow::open(CountdownKind::Shutdown, other);
        QCOMPARE(second, first);
        QCOMPARE(second->SecondsLeft(), left);
        QCOMPARE(label(second, "lab_sec")->text(), QString::number(left));
        QVERIFY(!timerOf(second)->isActive());
        // The other kind is a window of its own.
        auto* reboot = CountdownWindow::open(CountdownKind::Reboot, hooks());
        QVERIFY(reboot != first);
        QCOMPARE(reboot->SecondsLeft(), 10);
        // Its first hooks stay in force.
        second->zerocount();
        timerOf(second)->start(10);
        QTRY_COMPARE(m_record.ends, 1);
        QCOMPARE(otherCalls, 0);
    }

    void cancelledWindowCountsAfreshWhenReopened()
    {
        auto* w = CountdownWindow::open(CountdownKind::Shutdown, hooks());
        speedUp(w, 100);
        QTRY_VERIFY(w->SecondsLeft() < 10);
        QTest::mouseClick(label(w, "Image2"), Qt::LeftButton);
        QTRY_VERIFY(!CountdownWindow::find(CountdownKind::Shutdown));
        auto* again = CountdownWindow::open(CountdownKind::Shutdown, hooks());
        QCOMPARE(again->SecondsLeft(), 10);
        QCOMPARE(label(again, "lab_sec")->text(), QStringLiteral("10"));
        QVERIFY(timerOf(again)->isActive());
        QVERIFY(m_record.acts.isEmpty());
    }

    void firedRebootWindowRestsAtZero()
    {
        auto* w = CountdownWindow::open(CountdownKind::Reboot, hooks());
        // What the tray's "now" command does.
        w->setSecondsText(QStringLiteral("0"));
        w->zerocount();
        speedUp(w);
        QTRY_COMPARE(m_record.acts.size(), 1);
        QCOMPARE(m_record.acts[0].first, CountdownKind::Reboot);
        QCOMPARE(m_record.forcedReads, 0);
        QCOMPARE(m_record.ends, 0);
        QVERIFY(!timerOf(w)->isActive());
        QCOMPARE(label(w, "lab_sec")->text(), QStringLiteral("0"));

        // Opened again through the tray: same window, nothing restarts.
        auto* again = CountdownWindow::open(CountdownKind::Reboot, hooks());
        QCOMPARE(again, w);
        again->setSecondsText(QStringLiteral("0"));
        again->zerocount();
        QVERIFY(!timerOf(w)->isActive());
        QCOMPARE(w->state(), Countdown::State::Fired);

        w->cancel();
        QTRY_VERIFY(!CountdownWindow::find(CountdownKind::Reboot));
        auto* fresh = CountdownWindow::open(CountdownKind::Reboot, hooks());
        QCOMPARE(fresh->SecondsLeft(), 10);
        QVERIFY(timerOf(fresh)->isActive());
    }

    void failedShutdownClosesAndReportsInsteadOfEnding()
    {
        m_record.answer = {true, "permission denied"};
        auto* w = CountdownWindow::open(CountdownKind::Shutdown, hooks());
        w->zerocount();
        speedUp(w);
        QTRY_COMPARE(m_record.errors.size(), 1);
        QCOMPARE(m_record.errors[0], QStringLiteral("The computer could not be shut down: permission denied"));
        QCOMPARE(m_record.ends, 0);
        QTRY_VERIFY(!CountdownWindow::find(CountdownKind::Shutdown));
    }

    void rebootThatDoesNotHappenClosesSoTheNextOneActs()
    {
        // A failed request, then a dry run: each closes, and the next reboot makes its own request.
        const PowerOutcome answers[] = {{true, "no helper"}, {false, "", true}};
        for (const PowerOutcome& answer : answers) {
            m_record = {};
            m_record.answer = answer;
            for (int round = 1; round <= 2; ++round) {
                auto* w = CountdownWindow::open(CountdownKind::Reboot, hooks());
                QCOMPARE(w->SecondsLeft(), 10);
                w->zerocount();
                speedUp(w);
                QTRY_VERIFY(!CountdownWindow::find(CountdownKind::Reboot));
                QCOMPARE(m_record.acts.size(), round);
            }
            QCOMPARE(m_record.errors.size(), answer.failed ? 2 : 0);
        }
    }
};

} // namespace quelvo

QTEST_MAIN(quelvo::CountdownWindowTest)
#include "countdown_window_test.moc"
