#include "ui/app_icon.h"

#include <QApplication>
#include <QImageReader>

// The pictures are compiled into a static library, whose resource registration the
// linker would drop: register them explicitly, once.
static void initQuelvoResources()
{
    Q_INIT_RESOURCE(quelvo_icons);
}

namespace quelvo {

namespace {

// The pictures as rendered at build time (src/ui/CMakeLists.txt), by their width in pixels.
QPixmap rendered(const char* name, int width)
{
    static const bool registered = (initQuelvoResources(), true);
    (void)registered;
    // Read as PNG without guessing, which would load every image-format plugin (SVG among them).
    QImageReader reader(QStringLiteral(":/quelvo/%1-%2.png").arg(QLatin1String(name)).arg(width), "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

} // namespace

QIcon appIcon()
{
    // Made once and shared: every window, the tray and the hint hold the same pixmaps.
    static const QIcon icon = [] {
        QIcon made;
        for (const int side : {16, 22, 24, 32, 48, 64, 128, 256})
            made.addPixmap(rendered("quelvo", side));
        return made;
    }();
    return icon;
}

QIcon hideToTrayIcon()
{
    // One 16-pixel design, rendered for the common scales rather than stretched.
    QIcon icon;
    for (const int side : {16, 20, 24, 32, 48}) {
        QPixmap pixmap = rendered("hide", side);
        pixmap.setDevicePixelRatio(side / 16.0);
        icon.addPixmap(pixmap);
    }
    return icon;
}

QPixmap cancelPicture(QSize size, qreal devicePixelRatio)
{
    // The smallest rendering at least as wide as needed, brought to the exact size.
    const QSize pixels = size * devicePixelRatio;
    int width = 381;
    for (const int w : {127, 159, 191, 254, 381}) {
        if (w >= pixels.width()) {
            width = w;
            break;
        }
    }
    QPixmap pixmap = rendered("cancel", width);
    if (pixmap.size() != pixels)
        pixmap = pixmap.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

void applyApplicationIcon()
{
    QApplication::setWindowIcon(appIcon());
}

} // namespace quelvo
