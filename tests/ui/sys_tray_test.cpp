#include "ui/sys_tray.h"
#include "ui/text.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

namespace quelvo {

// The Qt binding drawn from the tray's model, as the program fills it.
class SysTrayTest final : public QObject
{
    Q_OBJECT

private slots:
    void iconAndMenuFollowTheModel()
    {
        SysTray tray;
        QCOMPARE(tray.objectName(), QStringLiteral("frmSysTray"));
        QVERIFY(!tray.trayIcon()->isVisible());
        std::vector<TrayMenuItem> items;
        int defaultIndex = -1;
        {
            SysTrayModel model(tray, kProgramIcon, kFileDescription);
            QVERIFY(tray.trayIcon()->isVisible());
            QVERIFY(!tray.trayIcon()->icon().isNull());
            QCOMPARE(tray.trayIcon()->toolTip(), qs(kFileDescription));
            fillTrayMenu(model);
            items = model.items();
            defaultIndex = model.DefaultMenuIndex();
            tray.setMenu(items, defaultIndex);
            QCOMPARE(tray.trayIcon()->toolTip(), qs(kTrayTip));
        }
        QVERIFY(!tray.trayIcon()->isVisible()); // the icon goes with the model

        // The model's items in its order, its default item alone in bold.
        const auto actions = tray.menu()->actions();
        QCOMPARE(actions.size(), static_cast<qsizetype>(items.size()));
        for (qsizetype i = 0; i < actions.size(); ++i) {
            const TrayMenuItem& item = items[static_cast<std::size_t>(i)];
            QCOMPARE(actions[i]->isSeparator(), item.isSeparator());
            QCOMPARE(actions[i]->text(), item.isSeparator() ? QString() : qs(item.caption));
            QCOMPARE(actions[i]->font().bold(), i == defaultIndex);
        }
        QCOMPARE(tray.menu()->defaultAction(), actions[defaultIndex]);
    }

    void choicesAndActivationsBecomeTheComponentsEvents()
    {
        SysTray tray;
        tray.setMenu({{"&Show main window", "show", true}, {"-", "", true}, {"&Exit", "exit", true}}, 2);
        QSignalSpy clicks(&tray, &SysTray::MenuClick);
        tray.menu()->actions()[2]->trigger();
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(clicks[0][1].toString(), QStringLiteral("exit"));
        // The menu may be drawn anew while a choice is being delivered.
        connect(&tray, &SysTray::MenuClick, &tray, [&tray] { tray.setMenu({{"&Exit", "exit", true}}, 0); });
        tray.menu()->actions()[0]->trigger();
        QCOMPARE(clicks[1][1].toString(), QStringLiteral("show"));
        QTRY_COMPARE(tray.menu()->actions().size(), 1);

        QSignalSpy doubles(&tray, &SysTray::SysTrayDoubleClick);
        QSignalSpy downs(&tray, &SysTray::SysTrayMouseDown);
        emit tray.trayIcon()->activated(QSystemTrayIcon::DoubleClick);
        emit tray.trayIcon()->activated(QSystemTrayIcon::Context);
        emit tray.trayIcon()->activated(QSystemTrayIcon::Trigger);
        QCOMPARE(doubles.size(), 1);
        QCOMPARE(downs.size(), 2);
        QCOMPARE(downs[0][0].toInt(), 2);
        QCOMPARE(downs[1][0].toInt(), 1);

        tray.popUpMenu();
        QTRY_VERIFY(tray.menu()->isVisible());
        tray.popUpMenu(); // already open: stays as it is
        QVERIFY(tray.menu()->isVisible());
        tray.menu()->hide();
    }
};

} // namespace quelvo

QTEST_MAIN(quelvo::SysTrayTest)
#include "sys_tray_test.moc"
