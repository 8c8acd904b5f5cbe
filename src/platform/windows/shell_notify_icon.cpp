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
    if ((flags & kNotifyInfo) != 0) {
        record.cbSize = NOTIFYICONDATAA_V2_SIZE;
        static_assert(sizeof record.szInfoTitle >= kNotifyInfoTitleField && sizeof record.szInfo >= kNotifyInfoField);
        std::copy(data.infoTitle.begin(), data.infoTitle.end(), record.szInfoTitle);
        record.szInfoTitle[kNotifyInfoTitleField - 1] = '\0';
        std::copy(data.info.begin(), data.info.end(), record.szInfo);
        record.szInfo[kNotifyInfoField - 1] = '\0';
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
