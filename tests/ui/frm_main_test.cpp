#include "fakes/fake_main_services.h"
#include "schedule/quick_action.h"
#include "shell/main_window_text.h"
#include "ui/frm_main.h"
#include "ui/sys_tray.h"
#include "ui/text.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMetaEnum>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

using namespace quelvo;

namespace {

// The Qt main window over fakes.
struct Fixture : test::FakeMainServices
{
    std::unique_ptr<FrmMain> window;

    FrmMain& start()
    {
        window = std::make_unique<FrmMain>(services(settings, "/opt/quelvo/quelvo"));
        window->presenter().Form_Load();
        window->show();
        return *window;
    }
};

// Clicks a check box on its indicator: a click beyond its caption does not count as a hit.
void clickBox(QCheckBox* box)
{
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

// The control with the keyboard focus: the tab bar is "tabs", a link in a text "link", an editable
// box's text field is its box.
QString focusName()
{
    QWidget* w = QApplication::focusWidget();
    if (!w)
        return QStringLiteral("none");
    if (qobject_cast<QTabBar*>(w))
        return QStringLiteral("tabs");
    if (auto* label = qobject_cast<QLabel*>(w); label && label->hasSelectedText())
        return QStringLiteral("link");
    return w->objectName().isEmpty() && w->parentWidget() ? w->parentWidget()->objectName() : w->objectName();
}

// Shows the window active on the tab with this caption, the focus on the tab bar.
void activateOnTab(FrmMain& w, const QString& caption)
{
    for (int i = 0; i < w.SSTab1->count(); ++i) {
        if (w.SSTab1->tabText(i) == caption)
            w.SSTab1->setCurrentIndex(i);
    }
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.SSTab1->tabBar()->setFocus();
}

} // namespace

class FrmMainTest final : public QObject
{
    Q_OBJECT

private slots:
    // The window's own texts come from the core's tables; the checker runs from the start.
    void startUpFillsTheNamedWidgets()
    {
        Fixture f;
        FrmMain& w = f.start();
        QCOMPARE(w.objectName(), QStringLiteral("frm_main"));
        QCOMPARE(w.windowTitle(), qs(kMainTitle));
        QCOMPARE(w.SSTab1->count(), static_cast<int>(kTabCaptions.size()));
        for (int i = 0; i < w.SSTab1->count(); ++i)
            QCOMPARE(w.SSTab1->tabText(i), qs(kTabCaptions[static_cast<std::size_t>(i)]));
        QVERIFY(w.findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
    }

    // Each of the presenter's boxes, lists and labels lands on the widget of that name, and reads back from it.
    void boxesAreTheNamedWidgets()
    {
        Fixture f;
        FrmMain& w = f.start();
        const QStringList names = QStringLiteral("chk_mon chk_tue chk_wed chk_thu chk_fri chk_sat chk_sun chk_shutdown "
                                                 "chk_reboot chk_repeat Check1 chk_forced chk_pause chk_lww")
                                      .split(QLatin1Char(' '));
        for (int i = 0; i < 14; ++i) {
            auto* box = w.findChild<QCheckBox*>(names[i]);
            QVERIFY2(box, qPrintable(names[i]));
            const bool was = box->isChecked();
            w.setChecked(static_cast<MainBox>(i), !was);
            QCOMPARE(box->isChecked(), !was);
            QCOMPARE(w.checked(static_cast<MainBox>(i)), !was);
        }
        const std::pair<MainCombo, const char*> combos[] = {
            {MainCombo::Hour, "txt_hr"}, {MainCombo::Minute, "txt_min"}, {MainCombo::AmPm, "com_am"}};
        for (const auto& [combo, name] : combos) {
            const std::string text = combo == MainCombo::AmPm ? "PM" : "07";
            w.setText(combo, text);
            QCOMPARE(w.findChild<QComboBox*>(name)->currentText(), qs(text));
            QCOMPARE(w.text(combo), text);
        }
        w.setLabel(MainLabel::Version, "the version");
        w.setLabel(MainLabel::System, "the system");
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lab_vers"))->text(), QStringLiteral("the version"));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lab_windows"))->text(), QStringLiteral("the system"));
        w.setAmPmVisible(false);
        QVERIFY(w.findChild<QComboBox*>(QStringLiteral("com_am"))->isHidden());
        QVERIFY(w.findChild<QLabel*>(QStringLiteral("Label9"))->isHidden());
    }

    // The list shows the presenter's rows, a column each.
    void listShowsTheRowsItIsGiven()
    {
        Fixture f;
        FrmMain& w = f.start();
        w.showEvents({"a line"}, {{{"one", "two", "three"}, "a line"}});
        const QTreeWidgetItem* row = w.ListView1->topLevelItem(0);
        QCOMPARE(row->text(0) + row->text(1) + row->text(2), QStringLiteral("onetwothree"));
    }

    // Each quick button runs its own member of the core's table: the lines the presenter saves for them in turn.
    void buttonsAndTheTrayMenuReachThePresenter()
    {
        Fixture f;
        Fixture called;
        FrmMain& w = f.start();
        called.start();
        w.findChild<QPushButton*>(QStringLiteral("Command1"))->click(); // "Select all"
        QVERIFY(w.findChild<QCheckBox*>(QStringLiteral("chk_sun"))->isChecked());
        for (std::size_t i = 0; i < kQuickActions.size(); ++i) {
            w.findChild<QPushButton*>(qs(kQuickActions[i].button))->click();
            called.window->presenter().quickaction(i);
        }
        QCOMPARE(f.fs.content("/prog/events.ini"), called.fs.content("/prog/events.ini"));
        QCOMPARE(w.ListView1->topLevelItemCount(), static_cast<int>(kQuickActions.size()));
        const QPoint shownAt = w.pos();
        w.findChild<QPushButton*>(QStringLiteral("Picture1"))->click(); // hide to tray
        QVERIFY(!w.isVisible());
        QVERIFY(!w.windowHandle());                   // hidden, it holds no platform window and nothing drawn
        w.sysTray()->menu()->actions()[7]->trigger(); // "&Set new event"
        QVERIFY(w.isVisible());
        QCOMPARE(w.pos(), shownAt);
        QCOMPARE(w.SSTab1->currentIndex(), 1);
        w.presenter().hint().elapsed();
        called.window->presenter().hint().elapsed();
    }

    // The Options tab shows the stored settings and the next event; the user's changes are stored.
    void optionsTabReachesThePresenter()
    {
        Fixture f;
        QVERIFY(f.settings.save("postpone", "20").ok());
        FrmMain& w = f.start();
        activateOnTab(w, QStringLiteral("Options"));
        QCOMPARE(w.txt_postpone->value(), 20);
        QCOMPARE(w.lab_next->text(), QStringLiteral("Next: nothing scheduled"));
        QVERIFY(!w.com_postponenext->isEnabled() && !w.com_skipnext->isEnabled());
        QTest::keyClick(w.txt_postpone, Qt::Key_Up);
        QCOMPARE(f.settings.get("postpone", ""), std::string("21"));
        // Typed, it counts once the box is left, in range.
        w.txt_warn->setFocus();
        w.txt_warn->selectAll();
        QTest::keyClicks(w.txt_warn, QStringLiteral("45"));
        QCOMPARE(f.settings.get("warn", "none"), std::string("none"));
        w.chk_nexttip->setFocus();
        QCOMPARE(f.settings.get("warn", ""), std::string("45"));
        clickBox(w.chk_nexttip);
        QCOMPARE(f.settings.get("nexttip", ""), std::string("False"));
    }

    // Return reaches the presenter from a box of the Settings tab, where no button takes it.
    void returnOnTheSettingsTabSaves()
    {
        Fixture f;
        FrmMain& w = f.start();
        activateOnTab(w, QStringLiteral("Settings"));
        w.chk_days[0]->setChecked(true);
        w.chk_shutdown->setChecked(true);
        QTest::keyClick(w.txt_min, Qt::Key_Return);
        QCOMPARE(w.ListView1->topLevelItemCount(), 1); // saved, and listed
    }

    // A click and the keyboard toggle alike; a release that is no click changes nothing.
    void pointerAndKeyboardToggleAlike()
    {
        Fixture f;
        f.autostart.stored = "/old/quelvo";
        FrmMain& w = f.start();
        clickBox(w.chk_lww);
        QCOMPARE(f.autostart.stored, std::optional<std::string>(""));
        QTest::keyClick(w.chk_lww, Qt::Key_Space);
        QCOMPARE(f.autostart.stored, std::optional<std::string>("/opt/quelvo/quelvo"));
        QTest::mouseClick(w.chk_lww, Qt::RightButton, {}, QPoint(6, w.chk_lww->height() / 2));
        QTest::mousePress(w.chk_lww, Qt::LeftButton, {}, QPoint(6, w.chk_lww->height() / 2));
        QTest::mouseRelease(w.chk_lww, Qt::LeftButton, {}, QPoint(-20, -20)); // dragged off the box
        QVERIFY(w.chk_lww->isChecked());
        QCOMPARE(f.autostart.writes, 2);

        clickBox(w.chk_shutdown);
        clickBox(w.chk_reboot);
        QVERIFY(w.chk_reboot->isChecked() && !w.chk_shutdown->isChecked());
        QTest::keyClick(w.chk_shutdown, Qt::Key_Space);
        QVERIFY(w.chk_shutdown->isChecked() && !w.chk_reboot->isChecked());
    }

    // Tab walks a page from the tab bar top left to bottom right, the hide picture last, and back.
    void tabWalksEachPageInReadingOrder_data()
    {
        QTest::addColumn<QString>("order");
        QTest::newRow("About") << "Label1 link chk_lww chk_pause image3"; // the welcome text, then its link
        QTest::newRow("Settings") << "chk_mon chk_tue chk_wed chk_thu chk_fri chk_sat chk_sun Command1 txt_hr txt_min "
                                     "com_am chk_shutdown chk_reboot chk_repeat com_save Check1 chk_forced Image2";
        QTest::newRow("Schedules") << "ListView1 com_del Command2 Image1";
        QTest::newRow("Sleep / timed off")
            << "Command3 Command4 Command5 Command6 Command7 Command8 Command9 Command10 Picture1";
        QTest::newRow("Options") << "txt_warn txt_postpone chk_nexttip Picture2"; // nothing next: no buttons
    }

    void tabWalksEachPageInReadingOrder()
    {
        QFETCH(QString, order);
        Fixture f;
        FrmMain& w = f.start();
        activateOnTab(w, QString::fromUtf8(QTest::currentDataTag()));
        QStringList walked;
        const qsizetype stops = order.count(QLatin1Char(' ')) + 2;
        for (qsizetype i = 0; i < stops; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            walked << focusName();
        }
        QCOMPARE(walked.join(QLatin1Char(' ')), order + QStringLiteral(" tabs"));
    }

    // Alt and a letter clicks or toggles the marked control of the page shown ("key name"), or
    // puts the focus into the box a label names or a frame's first button ("key >name").
    void accessKeysReachTheirControl_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::newRow("About") << "L chk_lww, A chk_pause, H image3";
        QTest::newRow("Settings") << "A Command1, O >txt_hr, M >txt_min, P >com_am, D chk_shutdown, B chk_reboot, "
                                     "R chk_repeat, S com_save, U Check1, F chk_forced, H Image2";
        QTest::newRow("Schedules") << "S com_del, A Command2, H Image1";
        QTest::newRow("Sleep / timed off") << "S >Command3, R >Command7, H Picture1";
        QTest::newRow("Options") << "W >txt_warn, Y >txt_postpone, N chk_nexttip, H Picture2";
    }

    void accessKeysReachTheirControl()
    {
        QFETCH(QString, keys);
        Fixture f;
        FrmMain& w = f.start();
        QString clicked;
        for (auto* button : w.findChildren<QAbstractButton*>())
            connect(button, &QAbstractButton::clicked, this, [&clicked, button] { clicked = button->objectName(); });
        QTimer answer; // closes the messages some of these clicks show
        connect(&answer, &QTimer::timeout, [] {
            if (QWidget* box = QApplication::activeModalWidget())
                box->close();
        });
        answer.start(20);
        for (const QString& entry : keys.split(QStringLiteral(", "))) {
            activateOnTab(w, QString::fromUtf8(QTest::currentDataTag()));
            clicked.clear();
            QTest::keyClick(&w, static_cast<Qt::Key>(entry.at(0).unicode()), Qt::AltModifier);
            QTRY_COMPARE(entry.at(0) + (clicked.isEmpty() ? QStringLiteral(" >") + focusName() : u' ' + clicked),
                         entry);
        }
    }

    // A screen reader hears each control's name (an editable box is named by its label: on Linux
    // its own name is its value), role and description.
    void screenReadersNameTheControls()
    {
        Fixture f;
        FrmMain& w = f.start();
        const QMetaEnum roles = QMetaEnum::fromType<QAccessible::Role>();
        QStringList heard;
        for (const char* name :
             {"image3", "Image2", "Image1", "Picture1", "imgicon", "ListView1", "txt_hr", "com_am"}) {
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w.findChild<QWidget*>(name));
            const auto labels = face->relations(QAccessible::Label);
            heard << (labels.isEmpty() ? face->text(QAccessible::Name)
                                       : labels.first().first->text(QAccessible::Name)) +
                         QStringLiteral(", ") + QLatin1String(roles.valueToKey(face->role())) + QStringLiteral(", ") +
                         face->text(QAccessible::Description);
        }
        const QString hide = QStringLiteral("Hide to tray, Button, Hide this window in the notification area");
        QCOMPARE(heard, QStringList({hide, hide, hide, hide, "Quelvo, Graphic, The program's icon", "Events, Tree, ",
                                     "Hour, ComboBox, Enter the hour of the event in here",
                                     "AM/PM, ComboBox, Choose from AM or PM"}));
    }

    // A move without a button over an empty spot of a tab page stores where the window stands.
    void movingOverATabPageStoresThePosition()
    {
        Fixture f;
        FrmMain& w = f.start();
        QWidget* page = w.SSTab1->widget(1);
        w.SSTab1->setCurrentIndex(1);
        const QPoint empty(page->width() - 3, page->height() - 3);
        QVERIFY(!page->childAt(empty));
        QTest::mouseMove(w.windowHandle(), page->mapTo(&w, empty));
        QCOMPARE(f.settings.get("x", ""), std::to_string(w.x() * 15));
        QCOMPARE(f.settings.get("y", ""), std::to_string(w.y() * 15));
    }

    void draggingTheBackgroundMovesAndStoresTheWindow()
    {
        Fixture f;
        QVERIFY(f.settings.save("x", "1500").ok());
        QVERIFY(f.settings.save("y", "3000").ok());
        FrmMain& w = f.start();
        QCOMPARE(w.pos(), QPoint(100, 200)); // 15 twips per pixel at 96 dpi
        QWidget* page = w.SSTab1->widget(0);
        const QPoint inside(5, page->height() - 5);
        QTest::mousePress(page, Qt::LeftButton, {}, inside);
        QMouseEvent move(QEvent::MouseMove, QPointF(inside + QPoint(20, 10)),
                         QPointF(page->mapToGlobal(inside + QPoint(20, 10))), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(page, &move);
        QTest::mouseRelease(page, Qt::LeftButton, {}, inside + QPoint(20, 10));
        QCOMPARE(w.pos(), QPoint(120, 210));
        QCOMPARE(f.settings.get("x", ""), std::string("1800"));
        QCOMPARE(f.settings.get("y", ""), std::string("3150"));
    }
};

QTEST_MAIN(FrmMainTest)
#include "frm_main_test.moc"
