#include "ui/splash_window.h"

#include "platform/clock.h"
#include "shell/settings.h"
#include "ui/twips.h"
#include "ui/wait_seconds.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QTimer>

#include <utility>

namespace quelvo {

namespace {

const char* const kTitle = "Welcome to Quelvo";
const char* const kLoadingText = "Please wait - Quelvo Is Loading";
constexpr double kClientWidthTwips = 5415;
constexpr double kClientHeightTwips = 810;

} // namespace

SplashWindow::SplashWindow(Settings& settings, const Clock& clock, std::function<void()> openMainWindow,
                           QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint), m_settings(settings), m_clock(clock),
      m_openMainWindow(std::move(openMainWindow))
{
    setObjectName(QStringLiteral("frm_load"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromUtf8(kTitle));

    const QSize client = twipsSize(*this, kClientWidthTwips, kClientHeightTwips);
    setFixedSize(client);

    // A thin accent frame inside the border; purely decorative.
    m_shape = new QFrame(this);
    m_shape->setObjectName(QStringLiteral("Shape1"));
    m_shape->setFrameShape(QFrame::NoFrame);
    m_shape->setStyleSheet(QStringLiteral("#Shape1 { border: 2px solid #2f5fd0; border-radius: 6px; }"));
    const int inset = client.height() / 9;
    m_shape->setGeometry(rect().adjusted(inset, inset, -inset, -inset));

    m_label = new QLabel(QString::fromUtf8(kLoadingText), this);
    m_label->setObjectName(QStringLiteral("Label1"));
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Helvetica")});
    font.setPointSizeF(14.25);
    font.setWeight(QFont::Normal);
    m_label->setFont(font);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setGeometry(rect());
    // A wider fallback font must not clip the text.
    const int needed = m_label->sizeHint().width() + 2 * inset + 8;
    if (needed > client.width()) {
        setFixedSize(needed, client.height());
        m_shape->setGeometry(rect().adjusted(inset, inset, -inset, -inset));
        m_label->setGeometry(rect());
    }

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(kFirstTickMs);
    connect(m_timer, &QTimer::timeout, this, &SplashWindow::firstTick);
    m_timer->start();
}

void SplashWindow::firstTick()
{
    if (m_started)
        return;
    m_started = true;
    m_timer->stop();

    // The hook may close (and so delete) this window: keep what is needed on the stack.
    auto openMainWindow = m_openMainWindow;
    if (m_settings.get("pause", "False") == "True") {
        m_waiting = true;
        waitseconds(kStartupDelaySeconds, m_clock);
        m_waiting = false;
    }
    if (openMainWindow)
        openMainWindow();
}

void SplashWindow::closeEvent(QCloseEvent* event)
{
    // Deleting the window while its own wait runs would pull the ground from under it.
    if (m_waiting) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

} // namespace quelvo
