#include "ui/splash_window.h"
#include "ui/wait_seconds.h"

#include "fakes/fake_clock.h"
#include "fakes/fake_settings.h"

#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTimer>

namespace quelvo {

using test::FakeClock;
using test::FakeSettings;

// Moves the fake clock on by one second every few real milliseconds, from inside
// the event loop, the way time passes while a wait handles events.
class ClockDriver
{
public:
    // With a splash given, time only runs once its first tick's work has begun.
    explicit ClockDriver(FakeClock& clock, const QPointer<SplashWindow>* splash = nullptr)
    {
        m_timer.setInterval(2);
        QObject::connect(&m_timer, &QTimer::timeout, [&clock, splash] {
            if (!splash || (*splash && (*splash)->started()))
                clock.advanceSeconds(1);
        });
        m_timer.start();
    }

private:
    QTimer m_timer;
};

class SplashWindowTest final : public QObject
{
    Q_OBJECT

private slots:
    void waitEndsAfterItsSecondsAcrossMidnight()
    {
        FakeClock clock({2026, 12, 6, 23, 59, 50, 0});
        ClockDriver driver(clock);
        bool handled = false;
        QTimer::singleShot(0, [&] { handled = true; });
        const auto start = clock.steadyNow();
        waitseconds(20, clock);
        QVERIFY(handled); // events ran during the wait
        QVERIFY(clock.steadyNow() - start >= std::chrono::seconds(20));
        QVERIFY(clock.steadyNow() - start < std::chrono::seconds(60));
        const LocalTime after = clock.now();
        QCOMPARE(after.day, 7);
        QCOMPARE(after.hour, 0);
        QVERIFY(after.minute == 0 && after.second >= 10);
    }

    void waitOfZeroReturnsAtOnce()
    {
        FakeClock clock;
        const auto start = clock.steadyNow();
        waitseconds(0, clock);
        QCOMPARE(clock.steadyNow(), start);
    }

    void looksLikeTheDesign()
    {
        FakeSettings settings;
        FakeClock clock;
        QPointer<SplashWindow> splash = new SplashWindow(settings, clock, [] {});
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
        splash->close();
        QTRY_VERIFY(!splash);
    }

    void pauseDecidesTheWait_data()
    {
        QTest::addColumn<QString>("pause"); // empty: not stored
        QTest::addColumn<bool>("waits");
        QTest::newRow("True") << "True" << true;
        QTest::newRow("False") << "False" << false;
        QTest::newRow("lower case") << "true" << false;
        QTest::newRow("missing") << "" << false;
    }

    void pauseDecidesTheWait()
    {
        QFETCH(QString, pause);
        QFETCH(bool, waits);
        FakeSettings settings;
        if (!pause.isEmpty())
            settings.save("pause", pause.toStdString());
        FakeClock clock;
        QPointer<SplashWindow> splash;
        ClockDriver driver(clock, &splash);
        const auto start = clock.steadyNow();
        int opened = 0;
        std::chrono::steady_clock::duration waited{};
        splash = new SplashWindow(settings, clock, [&] {
            ++opened;
            waited = clock.steadyNow() - start;
            splash->close(); // as the main window's start-up does
        });
        splash->show();
        QTRY_COMPARE(opened, 1);
        if (waits)
            QVERIFY(waited >= std::chrono::seconds(20));
        else
            QCOMPARE(waited, std::chrono::steady_clock::duration::zero());
        QTRY_VERIFY(!splash);
        QCOMPARE(opened, 1);
    }

    void workIsDoneOnceEvenWhenTheWindowStays()
    {
        FakeSettings settings;
        settings.save("pause", "True");
        FakeClock clock;
        ClockDriver driver(clock);
        int opened = 0;
        QPointer<SplashWindow> splash = new SplashWindow(settings, clock, [&] { ++opened; });
        splash->show();
        QTRY_COMPARE(opened, 1);
        QVERIFY(splash->started());
        QVERIFY(!splash->findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
        delete splash;
    }
};

} // namespace quelvo

QTEST_MAIN(quelvo::SplashWindowTest)
#include "splash_window_test.moc"
