#pragma once

class QWidget;
class QSize;

namespace quelvo {

/// Twips per inch: window positions and sizes are kept in this unit.
inline constexpr double kTwipsPerInch = 1440.0;

/// Pixels for a length in twips at the given logical dpi (15 twips per pixel at 96 dpi).
int twipsToPixels(double twips, double logicalDpi);
/// Twips for a length in pixels at the given logical dpi.
double pixelsToTwips(double pixels, double logicalDpi);
/// The logical dpi a widget is laid out at (its screen's, or 96 when it has none).
double logicalDpiOf(const QWidget& widget);
/// A length designed in pixels at 96 dpi, for the widget's screen.
int scaledPixels(int pixelsAt96, const QWidget& widget);
/// A size given in twips, in pixels for the widget's screen.
QSize twipsSize(const QWidget& widget, double widthTwips, double heightTwips);

} // namespace quelvo
