#include "ui/countdown_window.h"

#include "countdown/machine_countdown.h"

#include <QAccessible>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace quelvo {

// The real windows under a presenter whose request is only counted.
class CountdownWindowTest final : public QObject
{
    Q_OBJECT

    static QLabel* label(QWidget* w, const char* name) { return w->findChild<QLabel*>(QString::fromUtf8(name)); }

    QPointer<CountdownWindow> m_window;
    int m_acts = 0;
    int m_postponed = 0;

    CountdownPresenter::ViewFactory factory()
    {
        return [this](CountdownKind kind, CountdownControls& p) {
            m_window = new CountdownWindow(kind, p);
            return m_window.data();
        };
    }
    CountdownHooks hooks()
    {
        return {{},
                [this](CountdownKind, bool) {
                    ++m_acts;
                    return PowerOutcome{};
                },
                [] {},
                [] { return 15; },
                [this](CountdownKind, int) { ++m_postponed; }};
    }

private slots:
    void loadsWithItsDesign_data()
    {
        QTest::addColumn<CountdownKind>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("actionName");
        QTest::addColumn<QString>("actionText");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("seconds");
        QTest::newRow("shutdown") << CountdownKind::Shutdown << "frm_shutdown"
                                  << "Quelvo: Shut down"
                                  << "lab_shutdown"
                                  << "SHUT DOWN" << 300 << "Seconds before the computer shuts down";
        QTest::newRow("reboot") << CountdownKind::Reboot << "frm_reboot"
                                << "Quelvo: Re boot"
                                << "lab_reboot"
                                << "RE BOOT" << 298 << "Seconds before the computer restarts";
    }

    void loadsWithItsDesign()
    {
        QFETCH(CountdownKind, kind);
        QFETCH(QString, name);
        QFETCH(QString, title);
        QFETCH(QString, actionName);
        QFETCH(QString, actionText);
        QFETCH(int, width);
        QFETCH(QString, seconds);

        CountdownPresenter presenter(kind, hooks(), factory());
        presenter.open();
        CountdownWindow* w = m_window;
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
        QCOMPARE(cancel->toolTip(), QStringLiteral("Click here to cancel"));
        // A screen reader names the picture used as a button, as a button, and the number.
        QAccessibleInterface* picture = QAccessible::queryAccessibleInterface(cancel);
        QCOMPARE(picture->role(), QAccessible::Button);
        QCOMPARE(picture->text(QAccessible::Name), QStringLiteral("Cancel"));
        QCOMPARE(picture->text(QAccessible::Description), QStringLiteral("Click here to cancel"));
        QAccessibleInterface* number = QAccessible::queryAccessibleInterface(label(w, "lab_sec"));
        QCOMPARE(number->text(QAccessible::Name), QStringLiteral("Seconds left"));
        QCOMPARE(number->text(QAccessible::Description), seconds);
        if (at96)
            QCOMPARE(cancel->size(), QSize(127, 29));
        // The pictures rendered at build time are there, at the size the window draws.
        QCOMPARE(cancel->pixmap().deviceIndependentSize().toSize(), cancel->size());
        QVERIFY(!label(w, "Image1")->pixmap().isNull());
        auto* timer = w->findChild<QTimer*>(QStringLiteral("Timer1"));
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 1000);
        QCOMPARE(timer->timerType(), Qt::PreciseTimer);
    }

    void timerAndCancelPictureReachThePresenter()
    {
        CountdownPresenter presenter(CountdownKind::Shutdown, hooks(), factory());
        presenter.open();
        m_window->findChild<QTimer*>(QStringLiteral("Timer1"))->setInterval(50);
        QTRY_VERIFY(label(m_window, "lab_sec")->text() != QStringLiteral("10"));
        QTest::mouseClick(label(m_window, "Image2"), Qt::LeftButton);
        QVERIFY(!presenter.isOpen());
        QTRY_VERIFY(!m_window);
        // Closed by the window manager instead: the presenter hears of it.
        presenter.open();
        m_window->close();
        QVERIFY(!presenter.isOpen());
        // Pressed by a screen reader, which can't click: the window never takes the focus.
        presenter.open();
        QAccessible::queryAccessibleInterface(label(m_window, "Image2"))
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(!presenter.isOpen());
        QCOMPARE(m_acts, 0);
    }

    // Postpone stands beside the cancel picture without taking the focus, and reaches the presenter;
    // a window opened at "0" has none.
    void postponeButtonOnlyWhileThereIsSomethingToPutOff()
    {
        CountdownPresenter presenter(CountdownKind::Reboot, hooks(), factory());
        presenter.open();
        auto* postpone = m_window->findChild<QPushButton*>(QStringLiteral("com_postpone"));
        QVERIFY(postpone->isVisible());
        QCOMPARE(postpone->text(), QStringLiteral("&Postpone 15 min"));
        QCOMPARE(postpone->focusPolicy(), Qt::NoFocus);
        QTest::mouseClick(postpone, Qt::LeftButton);
        QVERIFY(!presenter.isOpen());
        QCOMPARE(m_postponed, 1);
        QTRY_VERIFY(!m_window);

        presenter.openAtZero();
        QVERIFY(m_window->findChild<QPushButton*>(QStringLiteral("com_postpone"))->isHidden());
        presenter.cancel();
        QCOMPARE(m_acts, 0);
    }

    // The machine's countdown says whose it is, under the seconds; the user's own says nothing there.
    void machineCountdownDrawsItsLine()
    {
        CountdownPresenter users(CountdownKind::Shutdown, hooks(), factory());
        users.open();
        QVERIFY(label(m_window, "lab_note")->isHidden());
        users.cancel();

        int cancels = 0;
        MachineCountdownPresenter machine({.cancel =
                                               [&cancels] {
                                                   ++cancels;
                                                   return std::string();
                                               },
                                           .postpone = [] { return std::string(); }},
                                          factory());
        machine.start(false, 10);
        QLabel* note = label(m_window, "lab_note");
        QVERIFY(note->isVisible());
        QCOMPARE(note->text(), QStringLiteral("Scheduled for this PC"));
        QVERIFY(note->geometry().top() >= label(m_window, "lab_sec")->geometry().bottom());
        auto* cancel = m_window->findChild<QWidget*>(QStringLiteral("Image2"));
        QTest::mouseClick(cancel, Qt::LeftButton);
        QCOMPARE(cancels, 1);
        QTRY_VERIFY(!m_window);
    }
};

} // namespace quelvo

QTEST_MAIN(quelvo::CountdownWindowTest)
#include "countdown_window_test.moc"
