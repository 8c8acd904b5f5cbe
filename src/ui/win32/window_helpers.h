#pragma once

#include <windows.h>

#include <string_view>

namespace quelvo::win32 {

/// The system's logical DPI, which the program is laid out at (it is system DPI aware).
int systemDpi();
/// A length designed in pixels at 96 dpi, at the system's DPI.
int scaled(int pixelsAt96);
/// A length in twips, in pixels at the system's DPI.
int twips(int lengthTwips);

/// Arial (another sans face where it is missing) at `points`, for the system's DPI. The caller
/// deletes it.
HFONT arialFont(double points, bool bold);

/// The free area of the primary screen.
RECT workArea();

/// Registers a window class of this program once; later calls only return its name.
const wchar_t* registerClass(const wchar_t* name, WNDPROC procedure, HBRUSH background);

/// A tip for `tool`, a child of `owner`, shown when the pointer rests on it.
HWND addTip(HWND owner, HWND tool, std::string_view text);

/// The object a window procedure keeps in GWLP_USERDATA: set from CREATESTRUCT at
/// WM_NCCREATE, read for every later message.
template <typename T> T* windowObject(HWND window, UINT message, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* object = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
        return object;
    }
    return reinterpret_cast<T*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

} // namespace quelvo::win32
