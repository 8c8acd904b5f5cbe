#include "ui/app_icon.h"

#include <QApplication>
#include <QPainter>
#include <QSvgRenderer>

// The pictures are compiled into a static library, whose resource registration the
// linker would drop: register them explicitly, once.
static void initQuelvoResources()
{
    Q_INIT_RESOURCE(quelvo);
}

namespace quelvo {

namespace {

const QString kAppIconPath = QStringLiteral(":/quelvo/quelvo.svg");
const QString kCancelPath = QStringLiteral(":/quelvo/cancel.svg");
const QString kHidePath = QStringLiteral(":/quelvo/hide.svg");

// Renders the SVG ourselves rather than through the icon-engine plugin, which a
// minimal Qt installation may lack.
QPixmap renderSvg(const QString& path, QSize size, qreal devicePixelRatio)
{
    static const bool registered = (initQuelvoResources(), true);
    (void)registered;
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(path);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

} // namespace

QIcon appIcon()
{
    QIcon icon;
    for (const int side : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(renderSvg(kAppIconPath, QSize(side, side), 1.0));
    return icon;
}

QIcon hideToTrayIcon()
{
    // One 16-pixel design, rendered for the common scales rather than stretched.
    QIcon icon;
    for (const qreal ratio : {1.0, 1.25, 1.5, 2.0})
        icon.addPixmap(renderSvg(kHidePath, QSize(16, 16), ratio));
    return icon;
}

QPixmap cancelPicture(QSize size, qreal devicePixelRatio)
{
    return renderSvg(kCancelPath, size, devicePixelRatio);
}

void applyApplicationIcon()
{
    QApplication::setWindowIcon(appIcon());
}

} // namespace quelvo
