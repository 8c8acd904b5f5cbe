#include "ui/splash_window.h"

#include "ui/text.h"
#include "ui/twips.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace quelvo {

SplashWindow::SplashWindow(const Settings& settings, std::function<void()> openMainWindow, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint),
      m_presenter(settings, *this, std::move(openMainWindow))
{
    setObjectName(QStringLiteral("frm_load"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(qs(kSplashTitle));

    const QSize client = twipsSize(*this, kSplashWidthTwips, kSplashHeightTwips);
    setFixedSize(client);

    // A thin accent frame inside the border; purely decorative.
    auto* shape = new QFrame(this);
    shape->setObjectName(QStringLiteral("Shape1"));
    shape->setFrameShape(QFrame::NoFrame);
    shape->setStyleSheet(QStringLiteral("#Shape1 { border: 2px solid #2f5fd0; border-radius: 6px; }"));
    const int inset = client.height() / 9;
    shape->setGeometry(rect().adjusted(inset, inset, -inset, -inset));

    auto* label = new QLabel(qs(kSplashText), this);
    label->setObjectName(QStringLiteral("Label1"));
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Helvetica")});
    font.setPointSizeF(kSplashPoints);
    font.setWeight(QFont::Normal);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    // A wider fallback font must not clip the text.
    setFixedSize(std::max(client.width(), label->sizeHint().width() + 2 * inset + 8), client.height());
    shape->setGeometry(rect().adjusted(inset, inset, -inset, -inset));
    label->setGeometry(rect());

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    connect(m_timer, &QTimer::timeout, this, [this] { m_presenter.tick(); });
    m_presenter.load();
}

void SplashWindow::closeEvent(QCloseEvent* event)
{
    if (!m_presenter.mayClose()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

} // namespace quelvo
