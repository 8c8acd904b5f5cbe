#include "ui/hint_window.h"

#include "ui/app_icon.h"
#include "ui/text.h"
#include "ui/twips.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

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

    const QFontMetrics metrics(font);
    const HintGeometry g = hintGeometry(
        {metrics.horizontalAdvance(defaultText()), metrics.horizontalAdvance(qs(kHintTextBeforeGap) + QLatin1Char(' ')),
         metrics.horizontalAdvance(QString(kHintGapBlanks - 1, QLatin1Char(' '))), metrics.height()},
        logicalDpiOf(*this));
    setFixedSize(g.width, g.height);
    m_label->setGeometry(g.label.left, g.label.top, g.label.width, g.label.height);
    m_image = new QLabel(this);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setPixmap(appPicture(g.iconSide, devicePixelRatioF()));
    m_image->setGeometry(g.iconLeft, g.iconTop, g.iconSide, g.iconSide);

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

void HintWindow::showChoices(const std::string& text, const std::vector<HintChoice>& choices)
{
    showConfirmation(text);
    std::vector<QPushButton*> buttons;
    std::vector<int> widths;
    for (const HintChoice& choice : choices) {
        auto* button = new QPushButton(qs(choice.caption), this);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QPushButton::clicked, this, [this, key = choice.key] {
            if (m_presenter)
                m_presenter->choose(key);
        });
        buttons.push_back(button);
        widths.push_back(button->sizeHint().width());
    }
    HintGeometry g;
    g.width = width();
    g.height = height();
    const int buttonHeight = buttons.empty() ? 0 : buttons.front()->sizeHint().height();
    const HintButtonRow row =
        hintButtonRow(g, widths, buttonHeight, twipsToPixels(kHintButtonGapTwips, logicalDpiOf(*this)));
    setFixedSize(row.width, row.height);
    m_label->setFixedWidth(row.width - 2 * m_label->x());
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const PixelRect& r = row.buttons[i];
        buttons[i]->setGeometry(r.left, r.top, r.width, r.height);
        buttons[i]->show();
    }
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
