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

/// Registers a window class of `instance` once, with the program's icon; later calls only
/// return its name.
const wchar_t* registerClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, HBRUSH background);

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

/// The procedure of a window that owns its object `T` (with `m_window` and `handle`): the object
/// learns its window on creation and is deleted with it.
template <typename T> LRESULT CALLBACK selfDeletingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = windowObject<T>(window, message, lParam);
    if (self && message == WM_NCCREATE)
        self->m_window = window;
    if (!self || message == WM_NCCREATE)
        return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        delete self;
        return 0;
    }
    return self->handle(message, wParam, lParam);
}

} // namespace quelvo::win32
