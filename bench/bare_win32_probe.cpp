// A bare Win32 program of the tray program's kind, for scripts/measure-windows to set quelvo.exe's
// memory against: a window with a tab control of four tabs and a report-view list, an icon in the
// notification area and a one-second timer, nothing else. Shown, then hidden at the timer's first
// tick, as quelvo.exe is when the user left it hidden; it prints one line once its icon is added.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>

namespace {

constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT_PTR kTimer = 1;
constexpr char kTitle[] = "Bare Win32 probe";

NOTIFYICONDATAA trayRecord(HWND window)
{
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window;
    record.uID = 1;
    record.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    record.uCallbackMessage = kTrayMessage;
    record.hIcon = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512)); // IDI_APPLICATION
    std::snprintf(record.szTip, sizeof record.szTip, "%s", kTitle);
    return record;
}

void addControls(HWND window, HINSTANCE instance)
{
    HWND tabs = ::CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 8, 8, 420, 300,
                                  window, nullptr, instance, nullptr);
    const char* captions[] = {"About", "Settings", "Schedules", "Sleep / timed off"};
    int index = 0;
    for (const char* caption : captions) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(caption);
        ::SendMessageA(tabs, TCM_INSERTITEMA, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&item));
    }
    HWND list = ::CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 20, 40, 396,
                                  256, window, nullptr, instance, nullptr);
    const char* columns[] = {"Days", "Time", "Action"};
    index = 0;
    for (const char* caption : columns) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 120;
        column.pszText = const_cast<char*>(caption);
        ::SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&column));
    }
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (::IsWindowVisible(window))
            ::ShowWindow(window, SW_HIDE);
        return 0;
    case WM_CLOSE:
        ::DestroyWindow(window);
        return 0;
    case WM_DESTROY: {
        NOTIFYICONDATAA record = trayRecord(window);
        ::Shell_NotifyIconA(NIM_DELETE, &record);
        ::PostQuitMessage(0);
        return 0;
    }
    default:
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "BareWin32Probe";
    ::RegisterClassA(&windowClass);

    HWND window = ::CreateWindowExA(0, windowClass.lpszClassName, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                    CW_USEDEFAULT, 460, 360, nullptr, nullptr, instance, nullptr);
    if (window == nullptr)
        return 1;
    addControls(window, instance);
    NOTIFYICONDATAA record = trayRecord(window);
    if (::Shell_NotifyIconA(NIM_ADD, &record)) {
        std::printf("probe: tray icon added\n");
        std::fflush(stdout);
    }
    ::ShowWindow(window, SW_SHOWNORMAL);
    ::SetTimer(window, kTimer, 1000, nullptr);

    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
