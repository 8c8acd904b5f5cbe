#include "ui/win32/window_helpers.h"

#include "platform/windows/wide_text.h"
#include "shell/window_position.h"
#include "ui/win32/pictures.h"

#include <commctrl.h>

#include <cmath>
#include <string>

namespace quelvo::win32 {

int systemDpi()
{
    static const int dpi = [] {
        HDC screen = ::GetDC(nullptr);
        const int found = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 0;
        if (screen)
            ::ReleaseDC(nullptr, screen);
        return found > 0 ? found : 96;
    }();
    return dpi;
}

int scaled(int pixelsAt96)
{
    return ::MulDiv(pixelsAt96, systemDpi(), 96);
}

int twips(int lengthTwips)
{
    return twipsToPixels(lengthTwips, systemDpi());
}

HFONT arialFont(double points, bool bold)
{
    const int height = -static_cast<int>(std::lround(points * systemDpi() / 72.0));
    return ::CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, VARIABLE_PITCH | FF_SWISS,
                         L"Arial");
}

RECT workArea()
{
    RECT area{0, 0, 800, 600};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

const wchar_t* registerClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, HBRUSH background)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (::GetClassInfoExW(instance, name, &windowClass))
        return name;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    windowClass.hIcon = loadPicture(Picture::Program, ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON));
    windowClass.hIconSm =
        loadPicture(Picture::Program, ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON));
    ::RegisterClassExW(&windowClass);
    return name;
}

HWND addTip(HWND owner, HWND tool, std::string_view text)
{
    static const bool initialised = [] {
        INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
        return ::InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)initialised;
    HWND tip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
    std::wstring wide = toWide(text);
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = wide.data();
    ::SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    return tip;
}

} // namespace quelvo::win32
