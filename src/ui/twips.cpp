#include "ui/twips.h"

#include <QSize>
#include <QWidget>

namespace quelvo {

double logicalDpiOf(const QWidget& widget)
{
    const int dpi = widget.logicalDpiX();
    return dpi > 0 ? dpi : 96.0;
}

int scaledPixels(int pixelsAt96, const QWidget& widget)
{
    return twipsToPixels(pixelsAt96 * 15.0, logicalDpiOf(widget));
}

QSize twipsSize(const QWidget& widget, double widthTwips, double heightTwips)
{
    const double dpi = logicalDpiOf(widget);
    return {twipsToPixels(widthTwips, dpi), twipsToPixels(heightTwips, dpi)};
}

} // namespace quelvo
