#include "platform/windows/shell_notify_icon.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace quelvo {

namespace {

// The record's texts are in the system's ANSI code page; ours are UTF-8 (the tip's dash). A field holds
// at most `size` - 1 bytes and its NUL; a text the code page cannot show keeps the page's best fit.
template <std::size_t N, std::size_t Size>
void putAnsi(const std::array<char, N>& utf8, char (&field)[Size], std::size_t size)
{
    const std::string_view text(utf8.data(),
                                static_cast<std::size_t>(std::find(utf8.begin(), utf8.end(), '\0') - utf8.begin()));
    wchar_t wide[N + 1] = {};
    const int wideLength =
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide, static_cast<int>(N));
    char ansi[4 * N + 1] = {};
    const int length =
        ::WideCharToMultiByte(CP_ACP, 0, wide, wideLength, ansi, static_cast<int>(sizeof ansi - 1), nullptr, nullptr);
    const std::size_t kept = std::min(static_cast<std::size_t>(std::max(length, 0)), size - 1);
    std::copy(ansi, ansi + kept, field);
    field[kept] = '\0';
}

} // namespace

NOTIFYICONDATAA toShellRecord(const NotifyIconData& data, HWND window, std::uint32_t flags,
                              const std::function<HICON(std::uint32_t)>& iconFor)
{
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window;
    record.uID = data.identifier;
    record.uFlags = flags;
    record.uCallbackMessage = data.callbackMessage;
    record.hIcon = iconFor ? iconFor(data.icon) : nullptr;
    static_assert(sizeof record.szTip >= kNotifyTipField);
    putAnsi(data.tip, record.szTip, kNotifyTipField);
    if ((flags & kNotifyInfo) != 0) {
        record.cbSize = NOTIFYICONDATAA_V2_SIZE;
        static_assert(sizeof record.szInfoTitle >= kNotifyInfoTitleField && sizeof record.szInfo >= kNotifyInfoField);
        putAnsi(data.infoTitle, record.szInfoTitle, kNotifyInfoTitleField);
        putAnsi(data.info, record.szInfo, kNotifyInfoField);
        record.dwInfoFlags = data.infoFlags;
    }
    return record;
}

ShellNotifyIcon::ShellNotifyIcon(HWND window, std::function<HICON(std::uint32_t)> iconFor, ShellNotifyCall call)
    : m_window(window), m_iconFor(std::move(iconFor)), m_call(std::move(call))
{
    if (!m_call)
        m_call = [](std::uint32_t message, NOTIFYICONDATAA& record) {
            return ::Shell_NotifyIconA(message, &record) != FALSE;
        };
}

void ShellNotifyIcon::add(const NotifyIconData& data)
{
    m_shown = data;
    NOTIFYICONDATAA record = toShellRecord(data, m_window, data.flags, m_iconFor);
    m_call(NIM_ADD, record);
}

void ShellNotifyIcon::modify(const NotifyIconData& data, std::uint32_t flags)
{
    // Only the parts changed: a balloon's record need not carry the icon's picture and tip.
    if (m_shown) {
        if ((flags & kNotifyMessage) != 0)
            m_shown->callbackMessage = data.callbackMessage;
        if ((flags & kNotifyIcon) != 0)
            m_shown->icon = data.icon;
        if ((flags & kNotifyTip) != 0)
            m_shown->tip = data.tip;
    }
    NOTIFYICONDATAA record = toShellRecord(data, m_window, flags, m_iconFor);
    m_call(NIM_MODIFY, record);
}

void ShellNotifyIcon::remove(const NotifyIconData& data)
{
    m_shown.reset();
    NOTIFYICONDATAA record = toShellRecord(data, m_window, 0, m_iconFor);
    m_call(NIM_DELETE, record);
}

void ShellNotifyIcon::addAgain()
{
    if (!m_shown)
        return;
    // The record carries the flags of the last change only; a new notification area needs every part.
    NOTIFYICONDATAA record = toShellRecord(*m_shown, m_window, kNotifyMessage | kNotifyIcon | kNotifyTip, m_iconFor);
    m_call(NIM_ADD, record);
}

bool NotificationArea::present()
{
    constexpr ULONGLONG kTrustedMs = 5000;
    const ULONGLONG now = ::GetTickCount64();
    if (!m_found || now - m_foundAt >= kTrustedMs) {
        m_found = ::FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr;
        m_foundAt = now;
    }
    return m_found;
}

} // namespace quelvo
