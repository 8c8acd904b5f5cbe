#pragma once

#include "shell/window_position.h"

class QWidget;
class QSize;

namespace quelvo {

/// The logical dpi a widget is laid out at (its screen's, or 96 when it has none).
double logicalDpiOf(const QWidget& widget);
/// A length designed in pixels at 96 dpi, for the widget's screen.
int scaledPixels(int pixelsAt96, const QWidget& widget);
/// A size given in twips, in pixels for the widget's screen.
QSize twipsSize(const QWidget& widget, double widthTwips, double heightTwips);

} // namespace quelvo
