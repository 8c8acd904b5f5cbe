#include "ui/hint_window.h"

#include "ui/app_icon.h"
#include "ui/text.h"
#include "ui/twips.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace quelvo {

QString HintWindow::defaultText()
{
    return qs(kHintDefaultText);
}

HintWindow::HintWindow(HintPresenter& presenter)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      m_presenter(&presenter)
{
    setObjectName(QStringLiteral("frm_message"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowIcon(appIcon());

    const double dpi = logicalDpiOf(*this);
    m_label = new QLabel(defaultText(), this);
    m_label->setObjectName(QStringLiteral("Label1"));
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Helvetica")});
    font.setPointSizeF(kHintPoints);
    font.setWeight(QFont::Normal);
    m_label->setFont(font);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QPalette colours = m_label->palette();
    colours.setColor(QPalette::WindowText, palette().color(QPalette::ToolTipText));
    m_label->setPalette(colours);

    // Laid out from the design in twips, widened when the font on this system runs longer.
    const int left = twipsToPixels(kHintLabelLeftTwips, dpi);
    const int textWidth = QFontMetrics(font).horizontalAdvance(defaultText());
    const QSize outer = twipsSize(*this, kHintWidthTwips, kHintHeightTwips);
    const int width = std::max(outer.width(), textWidth + 2 * left);
    setFixedSize(width, outer.height());
    const int labelHeight = std::max(twipsToPixels(kHintLabelHeightTwips, dpi), QFontMetrics(font).height());
    const int top = std::min(twipsToPixels(kHintLabelTopTwips, dpi), std::max(0, (outer.height() - labelHeight) / 2));
    m_label->setGeometry(left, top, width - 2 * left, labelHeight);

    m_image = new QLabel(this);
    m_image->setObjectName(QStringLiteral("Image1"));
    const int side = scaledPixels(kHintIconSideAt96, *this);
    m_image->setPixmap(appPicture(side, devicePixelRatioF()));
    m_image->setFixedSize(side, side);
    // Centre the icon in the blank gap of the default text, whatever the font's widths.
    const QFontMetrics metrics(font);
    const int before = metrics.horizontalAdvance(qs(kHintTextBeforeGap) + QLatin1Char(' '));
    const int gap = metrics.horizontalAdvance(QString(kHintGapBlanks - 1, QLatin1Char(' ')));
    m_image->move(m_label->x() + before + (gap - m_image->width()) / 2, (height() - m_image->height()) / 2);

    // Top-left of the desktop's free area, where the topmost request puts it anyway.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().topLeft());

    show();
}

void HintWindow::paintEvent(QPaintEvent*)
{
    // Without a frame of its own the strip needs an edge to stand out from what is behind it.
    QPainter painter(this);
    painter.fillRect(rect(), palette().toolTipBase());
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void HintWindow::showConfirmation(const std::string& text)
{
    m_image->setVisible(false);
    m_label->setText(qs(text));
    m_label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
}

void HintWindow::closeAfter(int ms)
{
    QTimer::singleShot(ms, this, [this] {
        if (m_presenter)
            m_presenter->elapsed();
    });
}

void HintWindow::closeEvent(QCloseEvent* event)
{
    if (HintPresenter* presenter = std::exchange(m_presenter, nullptr))
        presenter->closed();
    QWidget::closeEvent(event);
}

void HintWindow::closeWindow()
{
    m_presenter = nullptr;
    close();
}

} // namespace quelvo
