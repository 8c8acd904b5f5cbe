#include "ui/countdown_window.h"

#include "countdown/countdown_design.h"
#include "schedule/user_message.h"

#include "ui/app_icon.h"
#include "ui/clickable_image.h"
#include "ui/message_box.h"
#include "ui/text.h"
#include "ui/twips.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace quelvo {

namespace {

QFont arial(qreal points)
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Helvetica")});
    font.setPointSizeF(points);
    font.setWeight(QFont::Bold);
    return font;
}

} // namespace

CountdownWindow::CountdownWindow(CountdownKind kind, CountdownControls& presenter)
    : QWidget(nullptr,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus | Qt::MSWindowsFixedSizeDialogHint),
      m_presenter(&presenter)
{
    const CountdownDesign& design = countdownDesign(kind);
    setObjectName(qs(design.windowName));
    setWindowTitle(qs(design.title));
    setWindowIcon(appIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(twipsSize(*this, design.widthTwips, design.heightTwips));

    auto* image1 = new QLabel(this);
    image1->setObjectName(QStringLiteral("Image1"));
    const int side = scaledPixels(kCountdownIconSideAt96, *this);
    image1->setPixmap(appPicture(side, devicePixelRatioF()));
    image1->setAlignment(Qt::AlignCenter);

    m_action = new QLabel(qs(design.actionText), this);
    m_action->setObjectName(qs(design.actionName));
    m_action->setFont(arial(kActionPoints));
    m_action->setAlignment(Qt::AlignCenter);
    m_action->setStyleSheet(
        QStringLiteral("color: %1;").arg(QColor(kActionColour.red, kActionColour.green, kActionColour.blue).name()));
    // Blinking must not make the rest of the window jump.
    QSizePolicy keepSpace = m_action->sizePolicy();
    keepSpace.setRetainSizeWhenHidden(true);
    m_action->setSizePolicy(keepSpace);

    m_seconds = new QLabel(this);
    m_seconds->setObjectName(QStringLiteral("lab_sec"));
    m_seconds->setFont(arial(kSecondsPoints));
    m_seconds->setAlignment(Qt::AlignCenter);
    // Screen readers hear what the number is, not only the number.
    m_seconds->setAccessibleName(qs(kSecondsName));
    m_seconds->setAccessibleDescription(qs(design.secondsDescription));

    // Whose countdown it is, where it is not the user's own.
    m_note = new QLabel(this);
    m_note->setObjectName(qs(kNoteName));
    m_note->setAlignment(Qt::AlignCenter);
    m_note->hide();

    auto* cancel = new ClickableImage(this);
    m_cancel = cancel;
    cancel->setObjectName(QStringLiteral("Image2"));
    cancel->setToolTip(qs(kCancelTip));
    cancel->setAccessibleName(qs(kCancelName));
    cancel->setAccessibleDescription(qs(kCancelTip));
    const QSize cancelSize(scaledPixels(kCancelWidthAt96, *this), scaledPixels(kCancelHeightAt96, *this));
    cancel->setPixmap(cancelPicture(cancelSize, devicePixelRatioF()));
    cancel->setFixedSize(cancelSize);
    connect(cancel, &ClickableImage::clicked, this, [this] {
        if (m_presenter)
            m_presenter->cancel();
    });

    // Never takes the focus, as the window does not.
    m_postpone = new QPushButton(this);
    m_postpone->setObjectName(qs(kPostponeName));
    m_postpone->setFocusPolicy(Qt::NoFocus);
    m_postpone->setFixedSize(scaledPixels(kPostponeWidthAt96, *this), cancelSize.height());
    m_postpone->hide();
    connect(m_postpone, &QPushButton::clicked, this, [this] {
        if (m_presenter)
            m_presenter->postpone();
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(image1);
    layout->addWidget(m_action);
    layout->addWidget(m_seconds, 1);
    layout->addWidget(m_note);
    // The cancel picture alone, or with Postpone beside it, or Postpone alone, centred.
    auto* foot = new QHBoxLayout;
    foot->setSpacing(scaledPixels(kPostponeGapAt96, *this));
    foot->addStretch(1);
    foot->addWidget(cancel);
    foot->addWidget(m_postpone);
    foot->addStretch(1);
    layout->addLayout(foot);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = rect();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, [this] {
        if (m_presenter)
            m_presenter->tick();
    });
}

void CountdownWindow::closeWindow()
{
    m_presenter = nullptr;
    close();
}

void CountdownWindow::setSecondsText(const std::string& text)
{
    m_seconds->setText(qs(text));
}

void CountdownWindow::showError(const std::string& text)
{
    MessageBox::notify(nullptr, qs(kErrorTitle), qs(text), MessageBox::Icon::Stop);
}

void CountdownWindow::showPostpone(const std::string& caption)
{
    m_postpone->setText(qs(caption));
    m_postpone->setVisible(!caption.empty());
}

void CountdownWindow::showNote(const std::string& text)
{
    m_note->setText(qs(text));
    m_note->setVisible(!text.empty());
}

void CountdownWindow::closeEvent(QCloseEvent* event)
{
    m_timer->stop();
    if (CountdownControls* presenter = std::exchange(m_presenter, nullptr))
        presenter->closed();
    QWidget::closeEvent(event);
}

} // namespace quelvo
