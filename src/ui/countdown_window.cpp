#include "ui/countdown_window.h"

#include "schedule/user_message.h"

#include "ui/app_icon.h"
#include "ui/clickable_image.h"
#include "ui/message_box.h"
#include "ui/text.h"
#include "ui/twips.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace quelvo {

namespace {

struct Design
{
    const char* objectName;
    const char* title;
    const char* actionName;
    const char* actionText;
    double widthTwips;
    double heightTwips;
};

constexpr Design kShutdownDesign{"frm_shutdown", "Quelvo: Shut down", "lab_shutdown", "SHUT DOWN", 4500, 4500};
constexpr Design kRebootDesign{"frm_reboot", "Quelvo: Re boot", "lab_reboot", "RE BOOT", 4470, 4500};

const char* const kCancelTip = "Click here to cancel";
constexpr QSize kCancelSizeAt96{127, 29};
constexpr int kImage1SideAt96 = 64;

const Design& designOf(CountdownKind kind)
{
    return kind == CountdownKind::Shutdown ? kShutdownDesign : kRebootDesign;
}

int slotOf(CountdownKind kind)
{
    return kind == CountdownKind::Shutdown ? 0 : 1;
}

QFont arial(qreal points, QFont::Weight weight)
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Helvetica")});
    font.setPointSizeF(points);
    font.setWeight(weight);
    return font;
}

void showModelessError(const QString& message)
{
    MessageBox::notify(nullptr, qs(kErrorTitle), message, MessageBox::Icon::Stop);
}

} // namespace

QPointer<CountdownWindow> CountdownWindow::s_open[2];

CountdownWindow* CountdownWindow::open(CountdownKind kind, CountdownHooks hooks)
{
    auto& slot = s_open[slotOf(kind)];
    if (!slot)
        slot = new CountdownWindow(kind, std::move(hooks));
    slot->show();
    return slot;
}

CountdownWindow* CountdownWindow::find(CountdownKind kind)
{
    return s_open[slotOf(kind)];
}

CountdownWindow::CountdownWindow(CountdownKind kind, CountdownHooks hooks)
    : QWidget(nullptr,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus | Qt::MSWindowsFixedSizeDialogHint),
      m_countdown(kind, hooks.forcedAtZero, hooks.act), m_hooks(std::move(hooks))
{
    const Design& design = designOf(kind);
    setObjectName(QString::fromUtf8(design.objectName));
    setWindowTitle(QString::fromUtf8(design.title));
    setWindowIcon(appIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(twipsSize(*this, design.widthTwips, design.heightTwips));

    m_image1 = new QLabel(this);
    m_image1->setObjectName(QStringLiteral("Image1"));
    const int side = scaledPixels(kImage1SideAt96, *this);
    m_image1->setPixmap(appIcon().pixmap(QSize(side, side), devicePixelRatioF()));
    m_image1->setAlignment(Qt::AlignCenter);

    m_action = new QLabel(QString::fromUtf8(design.actionText), this);
    m_action->setObjectName(QString::fromUtf8(design.actionName));
    m_action->setFont(arial(24, QFont::Bold));
    m_action->setAlignment(Qt::AlignCenter);
    m_action->setStyleSheet(QStringLiteral("color: #c62828;"));
    // Blinking must not make the rest of the window jump.
    QSizePolicy keepSpace = m_action->sizePolicy();
    keepSpace.setRetainSizeWhenHidden(true);
    m_action->setSizePolicy(keepSpace);

    m_seconds = new QLabel(QString::number(Countdown::kStartSeconds), this);
    m_seconds->setObjectName(QStringLiteral("lab_sec"));
    m_seconds->setFont(arial(40, QFont::Bold));
    m_seconds->setAlignment(Qt::AlignCenter);

    m_cancel = new ClickableImage(this);
    m_cancel->setObjectName(QStringLiteral("Image2"));
    m_cancel->setToolTip(QString::fromUtf8(kCancelTip));
    const QSize cancelSize(scaledPixels(kCancelSizeAt96.width(), *this), scaledPixels(kCancelSizeAt96.height(), *this));
    m_cancel->setPixmap(cancelPicture(cancelSize, devicePixelRatioF()));
    m_cancel->setFixedSize(cancelSize);
    connect(m_cancel, &ClickableImage::clicked, this, &CountdownWindow::cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_image1);
    layout->addWidget(m_action);
    layout->addWidget(m_seconds, 1);
    layout->addWidget(m_cancel, 0, Qt::AlignHCenter);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = rect();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }

    m_countdown.load();
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setInterval(kTickMs);
    connect(m_timer, &QTimer::timeout, this, &CountdownWindow::tick);
    m_timer->start();
}

void CountdownWindow::zerocount()
{
    m_countdown.zerocount();
}

void CountdownWindow::setSecondsText(const QString& text)
{
    m_seconds->setText(text);
}

void CountdownWindow::cancel()
{
    m_timer->stop();
    m_countdown.cancel();
    close();
}

void CountdownWindow::tick()
{
    const TickStep step = m_countdown.tick();
    m_seconds->setText(QString::fromStdString(step.secondsText));
    m_action->setVisible(step.actionLabelVisible);
    if (step.stopTimer)
        m_timer->stop();
    if (!step.due)
        return;

    const FireStep fired = m_countdown.fire();
    // Copies: closing schedules this window's deletion.
    const auto endProgram = m_hooks.endProgram;
    const auto showError = m_hooks.showError ? m_hooks.showError : showModelessError;
    const QString error = QString::fromStdString(fired.errorMessage);
    switch (fired.after) {
    case AfterAction::None:
        break;
    case AfterAction::EndProgram:
        close();
        if (endProgram)
            endProgram();
        else
            QCoreApplication::quit();
        break;
    case AfterAction::CloseAndReportError:
        close();
        showError(error);
        break;
    case AfterAction::Close:
        close();
        break;
    }
}

} // namespace quelvo
