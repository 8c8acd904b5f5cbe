#pragma once

#include "shell/hint_presenter.h"

#include <windows.h>

namespace quelvo::win32 {

/// Builds the hint window `frm_message`: a strip above all windows, without taking the focus.
/// It deletes itself once closed.
HintView* makeHintWindow(HINSTANCE instance, HintPresenter& presenter);

} // namespace quelvo::win32
