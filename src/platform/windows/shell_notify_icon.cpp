#include "platform/windows/shell_notify_icon.h"

#include <algorithm>

namespace quelvo {

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
    std::copy(data.tip.begin(), data.tip.end(), record.szTip);
    record.szTip[kNotifyTipField - 1] = '\0';
    return record;
}

ShellNotifyIcon::ShellNotifyIcon(HWND window, std::function<HICON(std::uint32_t)> iconFor)
    : m_window(window), m_iconFor(std::move(iconFor))
{}

void ShellNotifyIcon::add(const NotifyIconData& data)
{
    NOTIFYICONDATAA record = toShellRecord(data, m_window, data.flags, m_iconFor);
    ::Shell_NotifyIconA(NIM_ADD, &record);
}

void ShellNotifyIcon::modify(const NotifyIconData& data, std::uint32_t flags)
{
    NOTIFYICONDATAA record = toShellRecord(data, m_window, flags, m_iconFor);
    ::Shell_NotifyIconA(NIM_MODIFY, &record);
}

void ShellNotifyIcon::remove(const NotifyIconData& data)
{
    NOTIFYICONDATAA record = toShellRecord(data, m_window, 0, m_iconFor);
    ::Shell_NotifyIconA(NIM_DELETE, &record);
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
