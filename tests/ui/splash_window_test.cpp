#include "ui/splash_window.h"

#include "fakes/fake_settings.h"

#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTimer>

namespace quelvo {

class SplashWindowTest final : public QObject
{
    Q_OBJECT

private slots:
    void looksLikeTheDesignAndOpensTheMainWindowOnItsTick()
    {
        test::FakeSettings settings;
        int opened = 0;
        QPointer<SplashWindow> splash;
        splash = new SplashWindow(settings, [&] {
            ++opened;
            splash->close(); // as the main window's start-up does
        });
        splash->show();
        QCOMPARE(splash->objectName(), QStringLiteral("frm_load"));
        QCOMPARE(splash->windowTitle(), QStringLiteral("Welcome to Quelvo"));
        auto* label = splash->findChild<QLabel*>(QStringLiteral("Label1"));
        QCOMPARE(label->text(), QStringLiteral("Please wait - Quelvo Is Loading"));
        QCOMPARE(label->font().pointSizeF(), 14.25);
        QVERIFY(label->sizeHint().width() <= splash->width());
        QVERIFY(splash->findChild<QWidget*>(QStringLiteral("Shape1")));
        if (splash->logicalDpiX() == 96)
            QVERIFY(splash->width() >= 361 && splash->height() == 54);
        auto* timer = splash->findChild<QTimer*>(QStringLiteral("Timer1"));
        QCOMPARE(timer->interval(), 500);
        QVERIFY(timer->isActive());
        QTRY_COMPARE(opened, 1);
        QTRY_VERIFY(!splash);
    }

    void staysOpenWhileItWaits()
    {
        test::FakeSettings settings;
        QVERIFY(settings.save("pause", "True").ok());
        QPointer<SplashWindow> splash = new SplashWindow(settings, [] {});
        splash->show();
        QTRY_VERIFY(splash->presenter().started());
        QVERIFY(!splash->close());
        QCOMPARE(splash->findChild<QTimer*>(QStringLiteral("Timer1"))->interval(), 20000);
        delete splash;
    }
};

} // namespace quelvo

QTEST_MAIN(quelvo::SplashWindowTest)
#include "splash_window_test.moc"
