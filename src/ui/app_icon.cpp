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

// The program's icon as rendered at build time, by side in pixels.
constexpr int kAppIconSides[] = {16, 22, 24, 32, 48, 64, 128, 256};

} // namespace

QIcon appIcon()
{
    // Made once and shared: every window and the tray hold the same pixmaps. A window's icon is sent
    // to the X server in every size it has and each stays decoded in memory, so the 256-pixel one
    // (a quarter of a megabyte, which no title bar, task bar or switcher draws) is left to appPicture.
    static const QIcon icon = [] {
        QIcon made;
        for (const int side : kAppIconSides) {
            if (side <= 128)
                made.addPixmap(rendered("quelvo", side));
        }
        return made;
    }();
    return icon;
}

QPixmap appPicture(int side, qreal devicePixelRatio)
{
    // The smallest rendering at least as large as needed, brought to the exact size.
    const int pixels = qRound(side * devicePixelRatio);
    int width = 256;
    for (const int w : kAppIconSides) {
        if (w >= pixels) {
            width = w;
            break;
        }
    }
    QPixmap pixmap = rendered("quelvo", width);
    if (pixmap.width() != pixels)
        pixmap = pixmap.scaled(pixels, pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

QIcon hideToTrayIcon()
{
    // One 16-pixel design, rendered for the common scales rather than stretched; made once, so the
    // four buttons share one set of pixmaps.
    static const QIcon icon = [] {
        QIcon made;
        for (const int side : {16, 20, 24, 32, 48}) {
            QPixmap pixmap = rendered("hide", side);
            pixmap.setDevicePixelRatio(side / 16.0);
            made.addPixmap(pixmap);
        }
        return made;
    }();
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
