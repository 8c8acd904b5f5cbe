#include "ui/hint_window.h"

#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLabel>
#include <QTest>
#include <QTimer>

namespace quelvo {

class HintWindowTest final : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        if (auto* hint = HintWindow::current())
            hint->close();
        QTRY_VERIFY(!HintWindow::current());
    }

    void floatsWithoutTakingFocus()
    {
        auto* hint = HintWindow::open();
        QCOMPARE(hint->objectName(), QStringLiteral("frm_message"));
        const auto flags = hint->windowFlags();
        QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
        QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
        QVERIFY(hint->testAttribute(Qt::WA_ShowWithoutActivating));
        QVERIFY(hint->isVisible());
        if (hint->logicalDpiX() == 96) {
            QCOMPARE(hint->height(), 34);
            QVERIFY(hint->width() >= 502);
        }
        QCOMPARE(hint->label()->objectName(), QStringLiteral("Label1"));
        QCOMPARE(hint->image()->objectName(), QStringLiteral("Image1"));
    }

    void defaultTextKeepsTheIconInItsGap()
    {
        auto* hint = HintWindow::open();
        const QString text = hint->label()->text();
        QCOMPARE(text, QStringLiteral("Right click on the          task bar icon and select "
                                      "'show main window' to alter settings"));
        QCOMPARE(text.mid(18, 10), QString(10, QLatin1Char(' ')));
        QVERIFY(!hint->image()->isHidden());
        if (hint->logicalDpiX() == 96)
            QCOMPARE(hint->image()->size(), QSize(32, 32));
        // The icon covers blanks only, never a letter of the text.
        const QFontMetrics metrics(hint->label()->font());
        const int gapStart = hint->label()->x() + metrics.horizontalAdvance(text.left(18));
        const int gapEnd = hint->label()->x() + metrics.horizontalAdvance(text.left(28));
        QVERIFY2(hint->image()->x() >= gapStart, qPrintable(QString::number(hint->image()->x())));
        QVERIFY(hint->image()->geometry().right() < gapEnd);
        // Nothing of the text is cut off.
        QVERIFY(hint->label()->geometry().right() < hint->width());
        QVERIFY(metrics.horizontalAdvance(text) <= hint->label()->width());
    }

    void openedTwiceClosesTwoSecondsAfterTheFirstOpening()
    {
        QElapsedTimer clock;
        clock.start();
        auto* first = HintWindow::open();
        auto* timer = first->findChild<QTimer*>(QStringLiteral("Timer1"));
        QCOMPARE(timer->interval(), 2000);
        QTRY_VERIFY(timer->remainingTime() < 1700);
        auto* second = HintWindow::open();
        QCOMPARE(second, first);
        QVERIFY(timer->remainingTime() < 1700); // not restarted
        QTRY_VERIFY_WITH_TIMEOUT(!HintWindow::current(), 4000);
        const auto elapsed = clock.elapsed();
        QVERIFY2(elapsed >= 1900 && elapsed < 3500, qPrintable(QString::number(elapsed)));
    }

    void nextOpeningShowsTheDefaultsAgain()
    {
        auto* hint = HintWindow::open();
        hint->showConfirmation(QStringLiteral("Shut down at 10:15"));
        QVERIFY(hint->image()->isHidden());
        QVERIFY(hint->label()->alignment().testFlag(Qt::AlignHCenter));
        // Reopening the open hint keeps what the caller set.
        QCOMPARE(HintWindow::open()->label()->text(), QStringLiteral("Shut down at 10:15"));
        hint->close();
        QTRY_VERIFY(!HintWindow::current());
        auto* next = HintWindow::open();
        QCOMPARE(next->label()->text(), HintWindow::defaultText());
        QVERIFY(!next->image()->isHidden());
        QVERIFY(next->label()->alignment().testFlag(Qt::AlignLeft));
    }
};

} // namespace quelvo

QTEST_MAIN(quelvo::HintWindowTest)
#include "hint_window_test.moc"
