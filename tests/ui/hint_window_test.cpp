#include "ui/hint_window.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace quelvo {

class HintWindowTest final : public QObject
{
    Q_OBJECT

    QPointer<HintWindow> m_hint;
    HintPresenter m_presenter{[this](HintPresenter& p) {
        m_hint = new HintWindow(p);
        return m_hint.data();
    }};

private slots:
    void cleanup()
    {
        m_presenter.elapsed();
        QTRY_VERIFY(!m_hint);
    }

    void floatsWithoutTakingFocusAndKeepsTheIconInItsGap()
    {
        m_presenter.open();
        HintWindow* hint = m_hint;
        QCOMPARE(hint->objectName(), QStringLiteral("frm_message"));
        const auto flags = hint->windowFlags();
        QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
        QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
        QVERIFY(hint->testAttribute(Qt::WA_ShowWithoutActivating));
        QVERIFY(hint->isVisible());
        QCOMPARE(hint->label()->objectName(), QStringLiteral("Label1"));
        QCOMPARE(hint->image()->objectName(), QStringLiteral("Image1"));
        const QString text = hint->label()->text();
        QCOMPARE(text, QStringLiteral("Right click on the          task bar icon and select "
                                      "'show main window' to alter settings"));
        QVERIFY(!hint->image()->isHidden());
        // The icon covers blanks only, never a letter of the text, and nothing of the text is cut off.
        const QFontMetrics metrics(hint->label()->font());
        const int gapStart = hint->label()->x() + metrics.horizontalAdvance(text.left(18));
        const int gapEnd = hint->label()->x() + metrics.horizontalAdvance(text.left(28));
        QVERIFY2(hint->image()->x() >= gapStart, qPrintable(QString::number(hint->image()->x())));
        QVERIFY(hint->image()->geometry().right() < gapEnd);
        QVERIFY(hint->label()->geometry().right() < hint->width());
        QVERIFY(metrics.horizontalAdvance(text) <= hint->label()->width());
    }

    void confirmationHidesTheIconAndCentres()
    {
        m_presenter.confirm("This computer will ShutDown in 5 minutes");
        QCOMPARE(m_hint->label()->text(), QStringLiteral("This computer will ShutDown in 5 minutes"));
        QVERIFY(m_hint->image()->isHidden());
        QVERIFY(m_hint->label()->alignment().testFlag(Qt::AlignHCenter));
    }

    void aQuestionsButtonsSitUnderTheTextAndAnswer()
    {
        QString answer;
        m_presenter.ask("Quelvo will shut down this PC at 22:00 (in 5 minutes)",
                        {{"postpone", "Postpone 15 minutes"}, {"skip", "Skip this time"}}, 60000,
                        [&](std::string_view key) { answer = QString::fromUtf8(key.data(), qsizetype(key.size())); });
        const auto buttons = m_hint->findChildren<QPushButton*>();
        QCOMPARE(buttons.size(), 2);
        QCOMPARE(buttons[0]->text(), QStringLiteral("Postpone 15 minutes"));
        for (const QPushButton* b : buttons) {
            QVERIFY(b->focusPolicy() == Qt::NoFocus); // pressing one must not take the keyboard from the user
            QVERIFY(b->geometry().top() >= m_hint->label()->geometry().bottom());
            QVERIFY(m_hint->rect().contains(b->geometry()));
        }
        QTest::mouseClick(buttons[1], Qt::LeftButton);
        QCOMPARE(answer, QStringLiteral("skip"));
        QTRY_VERIFY(!m_hint);
    }

    void closesItselfWhenItsTimeIsUp()
    {
        m_presenter.open();
        m_hint->closeAfter(10);
        QTRY_VERIFY(!m_hint);
        QVERIFY(!m_presenter.isOpen());
    }
};

} // namespace quelvo

QTEST_MAIN(quelvo::HintWindowTest)
#include "hint_window_test.moc"
