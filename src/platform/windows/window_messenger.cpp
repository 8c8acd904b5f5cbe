#include "platform/windows/window_messenger.h"

namespace quelvo {

namespace {

// The knock: wParam 1 when the later copy wants the window shown in any case. The answer proves
// that the window is ours and took it.
constexpr UINT kKnockMessage = WM_APP + 1;
constexpr LRESULT kKnockTaken = 0x51756B;
constexpr const wchar_t* kDefaultClass = L"Quelvo.InstanceMessenger";

} // namespace

WindowMessenger::WindowMessenger(std::wstring className)
    : m_className(className.empty() ? std::wstring(kDefaultClass) : std::move(className))
{}

WindowMessenger::~WindowMessenger()
{
    if (m_window) {
        DestroyWindow(m_window);
        UnregisterClassW(m_className.c_str(), GetModuleHandleW(nullptr));
    }
}

bool WindowMessenger::listen(std::function<void(bool showWindow)> onKnock)
{
    m_onKnock = std::move(onKnock);
    if (m_window)
        return true;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = m_className.c_str();
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    m_window = CreateWindowExW(0, m_className.c_str(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance,
                               nullptr);
    if (!m_window)
        return false;
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return true;
}

LRESULT CALLBACK WindowMessenger::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != kKnockMessage)
        return DefWindowProcW(window, message, wParam, lParam);
    auto* self = reinterpret_cast<WindowMessenger*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    // The later copy waits for the answer only, not for the window to come forward.
    ReplyMessage(kKnockTaken);
    if (self && self->m_onKnock)
        self->m_onKnock(wParam == 1);
    return kKnockTaken;
}

bool WindowMessenger::knock()
{
    const HWND running = FindWindowExW(HWND_MESSAGE, nullptr, m_className.c_str(), nullptr);
    if (!running)
        return false;
    // This copy was just started by the user and may take the foreground; the running copy may
    // only when handed the right.
    DWORD process = 0;
    GetWindowThreadProcessId(running, &process);
    if (process)
        AllowSetForegroundWindow(process);
    DWORD_PTR answer = 0;
    const LRESULT sent = SendMessageTimeoutW(running, kKnockMessage, m_askToShowWindow ? 1 : 0, 0,
                                             SMTO_ABORTIFHUNG | SMTO_BLOCK, kKnockTimeoutMs, &answer);
    return sent != 0 && static_cast<LRESULT>(answer) == kKnockTaken;
}

} // namespace quelvo
