#pragma once

#include "countdown/countdown_presenter.h"

#include <windows.h>

namespace quelvo::win32 {

/// Builds the countdown window of a kind (`frm_shutdown` or `frm_reboot`): on top of all
/// windows without taking the focus, out of the task bar, with a cancel picture. It deletes
/// itself once closed.
CountdownView* makeCountdownWindow(HINSTANCE instance, CountdownKind kind, CountdownControls& presenter);

} // namespace quelvo::win32
