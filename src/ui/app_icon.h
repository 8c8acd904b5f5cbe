#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace quelvo {

/// The program's own icon for windows and the tray, up to 128 pixels.
QIcon appIcon();
/// The same picture drawn in a window, `side` logical pixels square, sharp at `devicePixelRatio`.
QPixmap appPicture(int side, qreal devicePixelRatio);
/// The cancel picture of the countdown windows at `size` logical pixels, sharp at `devicePixelRatio`.
QPixmap cancelPicture(QSize size, qreal devicePixelRatio);
/// The small picture on the hide-to-tray buttons, sharp at every scale.
QIcon hideToTrayIcon();
/// Makes the program's icon the default of every window.
void applyApplicationIcon();

} // namespace quelvo
