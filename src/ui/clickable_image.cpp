#include "ui/clickable_image.h"

#include <QMouseEvent>

namespace quelvo {

ClickableImage::ClickableImage(QWidget* parent) : QLabel(parent)
{
    setCursor(Qt::PointingHandCursor);
}

void ClickableImage::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void ClickableImage::mouseReleaseEvent(QMouseEvent* event)
{
    // Like a button: the click counts only when released over the picture.
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}

} // namespace quelvo
