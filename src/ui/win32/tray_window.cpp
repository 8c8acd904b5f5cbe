#include "ui/win32/tray_window.h"

#include "platform/windows/shell_notify_icon.h"
#include "platform/windows/wide_text.h"
#include "tray/sys_tray_model.h"
#include "ui/win32/pictures.h"
#include "ui/win32/window_helpers.h"

#include <utility>

namespace quelvo::win32 {

struct TrayWindow::State
{
    TrayEvents events;
    HWND window = nullptr;
    std::unique_ptr<ShellNotifyIcon> shell;
    UINT taskbarCreated = 0;
    HMENU menu = nullptr;
    HMENU retired = nullptr; // replaced while it was open; destroyed once it closes
    bool tracking = false;
    std::vector<TrayMenuItem> items; // menu command n is items[n - 1]

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void notification(LPARAM mouseMessage);
    void command(WORD id);
};

namespace {

HICON trayPicture(std::uint32_t icon)
{
    return loadPicture(static_cast<Picture>(icon), ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON));
}

} // namespace

LRESULT CALLBACK TrayWindow::State::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* state = windowObject<State>(window, message, lParam);
    if (!state || message == WM_NCCREATE)
        return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == kNotifyCallbackMessage) {
        state->notification(lParam);
        return 0;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == 0) {
        state->command(LOWORD(wParam));
        return 0;
    }
    if (message == state->taskbarCreated && message != 0) {
        state->shell->addAgain(); // a new notification area knows nothing of the icon
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void TrayWindow::State::notification(LPARAM mouseMessage)
{
    // The first-version icon reports the mouse message itself in lParam, or what became of its balloon.
    if (LOWORD(mouseMessage) == kNotifyBalloonClick) {
        if (events.balloonClicked)
            events.balloonClicked();
        return;
    }
    const TrayEvent event = decodeTrayMouseMessage(LOWORD(mouseMessage));
    if (event.kind == TrayEventKind::MouseDown && events.mouseDown)
        events.mouseDown(event.button);
    else if (event.kind == TrayEventKind::DoubleClick && events.doubleClick)
        events.doubleClick();
}

void TrayWindow::State::command(WORD id)
{
    if (id == 0 || id > items.size())
        return;
    // A copy: the receiver may draw the menu anew.
    const std::string key = items[id - 1U].key;
    if (events.menuChoice)
        events.menuChoice(key);
}

TrayWindow::TrayWindow(HINSTANCE instance, TrayEvents events) : m_state(std::make_unique<State>())
{
    m_state->events = std::move(events);
    const wchar_t* name = registerClass(instance, L"QuelvoTray", State::procedure, nullptr);
    // A hidden top-level window, not a message-only one: only those hear the shell's broadcast.
    m_state->window = ::CreateWindowExW(WS_EX_TOOLWINDOW, name, L"frmSysTray", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                        instance, m_state.get());
    m_state->taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    // An elevated copy still hears the shell, which runs with the user's rights.
    ::ChangeWindowMessageFilterEx(m_state->window, m_state->taskbarCreated, MSGFLT_ALLOW, nullptr);
    m_state->shell = std::make_unique<ShellNotifyIcon>(m_state->window, trayPicture);
}

TrayWindow::~TrayWindow()
{
    if (m_state->window)
        ::DestroyWindow(m_state->window);
    if (m_state->menu)
        ::DestroyMenu(m_state->menu);
}

void TrayWindow::add(const NotifyIconData& data)
{
    m_state->shell->add(data);
}

void TrayWindow::modify(const NotifyIconData& data, std::uint32_t flags)
{
    m_state->shell->modify(data, flags);
}

void TrayWindow::remove(const NotifyIconData& data)
{
    m_state->shell->remove(data);
}

void TrayWindow::setMenu(const std::vector<TrayMenuItem>& items, int defaultIndex)
{
    HMENU menu = ::CreatePopupMenu();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const TrayMenuItem& item = items[i];
        if (!item.visible)
            continue;
        if (item.isSeparator()) {
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        ::AppendMenuW(menu, MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED), i + 1, toWide(item.caption).c_str());
        if (static_cast<int>(i) == defaultIndex)
            ::SetMenuDefaultItem(menu, static_cast<UINT>(i + 1), FALSE);
    }
    HMENU old = std::exchange(m_state->menu, menu);
    if (old && m_state->tracking)
        std::swap(old, m_state->retired);
    if (old)
        ::DestroyMenu(old);
    m_state->items = items;
}

void TrayWindow::popUpMenu()
{
    if (!m_state->menu || m_state->tracking)
        return;
    if (m_state->events.menuOpened)
        m_state->events.menuOpened();
    POINT at{};
    ::GetCursorPos(&at);
    // Foreground first and a message after, or the menu stays open after a click elsewhere.
    ::SetForegroundWindow(m_state->window);
    m_state->tracking = true;
    ::TrackPopupMenuEx(m_state->menu, TPM_LEFTALIGN | TPM_LEFTBUTTON, at.x, at.y, m_state->window, nullptr);
    m_state->tracking = false;
    ::PostMessageW(m_state->window, WM_NULL, 0, 0);
    if (HMENU retired = std::exchange(m_state->retired, nullptr))
        ::DestroyMenu(retired);
}

HWND TrayWindow::window() const
{
    return m_state->window;
}

HMENU TrayWindow::menu() const
{
    return m_state->menu;
}

} // namespace quelvo::win32
