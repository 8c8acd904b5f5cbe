#pragma once

#include <windows.h>

namespace quelvo::win32 {

/// The pictures the program carries as icon resources, rendered from the same drawings as the
/// Linux edition's.
enum class Picture { Program = 1, HideToTray = 2, Cancel = 3 };

/// The picture at `width` by `height` pixels (LoadImage picks the nearest stored size); shared,
/// never destroyed by the caller.
HICON loadPicture(Picture picture, int width, int height);

} // namespace quelvo::win32
