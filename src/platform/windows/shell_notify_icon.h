#pragma once

#include "platform/notify_icon.h"

#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <functional>

namespace quelvo {

/// The platform's own icon record for the tray model's: the first-version layout
/// (NOTIFYICONDATAA_V1_SIZE, which on 64-bit Windows is 104 bytes, not the 32-bit 88, since the
/// window and icon handles are full width), the model's fields copied, its 32-bit icon number
/// turned into a handle by `iconFor`.
NOTIFYICONDATAA toShellRecord(const NotifyIconData& data, HWND window, std::uint32_t flags,
                              const std::function<HICON(std::uint32_t)>& iconFor);

/// The notification area through Shell_NotifyIconA, for the window that receives the icon's
/// callback messages.
class ShellNotifyIcon final : public NotifyIcon
{
public:
    ShellNotifyIcon(HWND window, std::function<HICON(std::uint32_t)> iconFor);

    void add(const NotifyIconData& data) override;
    void modify(const NotifyIconData& data, std::uint32_t flags) override;
    void remove(const NotifyIconData& data) override;

private:
    HWND m_window;
    std::function<HICON(std::uint32_t)> m_iconFor;
};

/// Whether Explorer's task bar, which holds the notification area, is there. The question comes
/// every second and each look is a round trip to the window manager (Wine's server), so a task bar
/// once found is trusted for a few seconds; one that was missing is looked for again every time.
class NotificationArea final
{
public:
    [[nodiscard]] bool present();

private:
    ULONGLONG m_foundAt = 0;
    bool m_found = false;
};

} // namespace quelvo
