#include "ui/clickable_image.h"

#include <QAccessibleWidget>
#include <QMouseEvent>

namespace quelvo {

namespace {

// Screen readers see the picture as the button it is, and can press it: the window that holds it
// never takes the keyboard focus, so pressing through the accessibility interface is the only way
// there without a pointer.
class AccessibleImageButton final : public QAccessibleWidget
{
public:
    explicit AccessibleImageButton(ClickableImage* image) : QAccessibleWidget(image, QAccessible::Button) {}

    [[nodiscard]] QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString& actionName) override
    {
        if (actionName == pressAction())
            emit static_cast<ClickableImage*>(widget())->clicked();
    }
};

QAccessibleInterface* accessibleImageButton(const QString& className, QObject* object)
{
    if (className != QLatin1String(ClickableImage::staticMetaObject.className()))
        return nullptr;
    return new AccessibleImageButton(static_cast<ClickableImage*>(object));
}

} // namespace

ClickableImage::ClickableImage(QWidget* parent) : QLabel(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(accessibleImageButton);
        return true;
    }();
    Q_UNUSED(installed);
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
