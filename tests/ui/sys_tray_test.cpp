#include "ui/sys_tray.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

namespace quelvo {

class SysTrayTest final : public QObject
{
    Q_OBJECT

    // A shortened version of the program's own menu.
    static void fill(SysTray& tray)
    {
        tray.AddMenuItem(QStringLiteral("&Show main window"), QStringLiteral("show"), true);
        tray.AddMenuItem(QStringLiteral("-"), QString(), false);
        tray.AddMenuItem(QStringLiteral("&Shut down PC now!"), QStringLiteral("shutdown"), true);
        tray.AddMenuItem(QStringLiteral("-"), QString(), false);
        tray.AddMenuItem(QStringLiteral("&Exit"), QStringLiteral("exit"), true);
    }

private slots:
    void iconAppearsWithTheComponent()
    {
        SysTray tray;
        QCOMPARE(tray.objectName(), QStringLiteral("frmSysTray"));
        QVERIFY(tray.trayIcon()->isVisible());
        QVERIFY(!tray.trayIcon()->icon().isNull());
        QCOMPARE(tray.ToolTip(), QStringLiteral("quelvo"));
        QCOMPARE(tray.trayIcon()->toolTip(), QStringLiteral("quelvo"));
        QCOMPARE(tray.IconHandle(), SysTray::kBuiltInIcon);

        tray.setToolTip(QStringLiteral("Double click me for menu, Quelvo from Velmor Software."));
        QCOMPARE(tray.trayIcon()->toolTip(), QStringLiteral("Double click me for menu, Quelvo from Velmor Software."));
        tray.setToolTip(QString(70, QLatin1Char('t')));
        QCOMPARE(tray.trayIcon()->toolTip().size(), 63);
    }

    void iconHandlesFollowThePictures()
    {
        SysTray tray;
        QPixmap red(16, 16);
        red.fill(Qt::red);
        const QIcon icon(red);
        tray.setIcon(icon);
        const auto handle = tray.IconHandle();
        QVERIFY(handle != SysTray::kBuiltInIcon);
        QCOMPARE(tray.trayIcon()->icon().cacheKey(), icon.cacheKey());
        tray.setIcon(icon); // the same picture keeps its handle
        QCOMPARE(tray.IconHandle(), handle);
        tray.setIconHandle(SysTray::kBuiltInIcon);
        QVERIFY(tray.trayIcon()->icon().cacheKey() != icon.cacheKey());
    }

    void menuIsBuiltFromTheItems()
    {
        SysTray tray;
        fill(tray);
        const auto actions = tray.menu()->actions();
        QCOMPARE(actions.size(), 5);
        QVERIFY(actions[1]->isSeparator());
        QVERIFY(actions[3]->isSeparator());
        QCOMPARE(actions[4]->text(), QStringLiteral("&Exit"));
        QCOMPARE(tray.DefaultMenuIndex(), 4);
        QCOMPARE(tray.menu()->defaultAction(), actions[4]);
        QVERIFY(actions[4]->font().bold());
        QVERIFY(!actions[0]->font().bold());
        QCOMPARE(tray.menuSummary(), QStringLiteral("&Show main window|-|&Shut down PC now!|-|*&Exit"));

        tray.EnableMenuItem(2, false);
        QVERIFY(!tray.menu()->actions()[2]->isEnabled());
        tray.RemoveMenuItem(2);
        QCOMPARE(tray.menu()->actions().size(), 4);
        QCOMPARE(tray.menu()->actions()[2]->isSeparator(), true);
        tray.setDefaultMenuIndex(0);
        QCOMPARE(tray.menuSummary(), QStringLiteral("*&Show main window|-|-|&Exit"));
    }

    void choosingAnItemRaisesMenuClickWithItsKey()
    {
        SysTray tray;
        fill(tray);
        QSignalSpy clicks(&tray, &SysTray::MenuClick);
        tray.menu()->actions()[2]->trigger();
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(clicks[0][0].toInt(), 2);
        QCOMPARE(clicks[0][1].toString(), QStringLiteral("shutdown"));
        // After a removal the item at that place answers with its new key.
        tray.RemoveMenuItem(1);
        tray.menu()->actions()[3]->trigger();
        QCOMPARE(clicks.size(), 2);
        QCOMPARE(clicks[1][0].toInt(), 3);
        QCOMPARE(clicks[1][1].toString(), QStringLiteral("exit"));

        // The owner may change the menu while a choice is being delivered.
        connect(&tray, &SysTray::MenuClick, &tray, [&tray](int index, const QString&) { tray.RemoveMenuItem(index); });
        tray.menu()->actions().last()->trigger();
        QCOMPARE(clicks.size(), 3);
        QCOMPARE(tray.model().items().size(), 3U);
        QTRY_COMPARE(tray.menu()->actions().size(), 3);
    }

    void activationsBecomeTheComponentsEvents()
    {
        SysTray tray;
        QSignalSpy doubles(&tray, &SysTray::SysTrayDoubleClick);
        QSignalSpy downs(&tray, &SysTray::SysTrayMouseDown);
        emit tray.trayIcon()->activated(QSystemTrayIcon::DoubleClick);
        QCOMPARE(doubles.size(), 1);
        QCOMPARE(doubles[0][0].toInt(), 1);
        emit tray.trayIcon()->activated(QSystemTrayIcon::Context);
        QCOMPARE(downs.size(), 1);
        QCOMPARE(downs[0][0].toInt(), 2);
        emit tray.trayIcon()->activated(QSystemTrayIcon::Trigger);
        QCOMPARE(downs.size(), 2);
        QCOMPARE(downs[1][0].toInt(), 1);
        QCOMPARE(doubles.size(), 1);
    }

    void codedNotificationsAreDecoded()
    {
        SysTray tray;
        QSignalSpy doubles(&tray, &SysTray::SysTrayDoubleClick);
        QSignalSpy ups(&tray, &SysTray::SysTrayMouseUp);
        QSignalSpy moves(&tray, &SysTray::SysTrayMouseMove);
        tray.deliverNotification(518 * 15, 0);
        tray.deliverNotification(517 * 12, 0);
        tray.deliverNotification(1234, 0);
        QCOMPARE(doubles.size(), 1);
        QCOMPARE(doubles[0][0].toInt(), 2);
        QCOMPARE(ups.size(), 1);
        QCOMPARE(ups[0][0].toInt(), 2);
        QCOMPARE(moves.size(), 1);
    }

    void showMenuOpensThePopup()
    {
        SysTray tray;
        fill(tray);
        tray.ShowMenu();
        QTRY_VERIFY(tray.menu()->isVisible());
        tray.ShowMenu(); // already open: stays as it is
        QVERIFY(tray.menu()->isVisible());
        tray.menu()->hide();
    }
};

} // namespace quelvo

QTEST_MAIN(quelvo::SysTrayTest)
#include "sys_tray_test.moc"
