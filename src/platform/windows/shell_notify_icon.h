#pragma once

#include "platform/notify_icon.h"

#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <optional>

namespace quelvo {

/// The platform's own icon record for the tray model's: the first-version layout
/// (NOTIFYICONDATAA_V1_SIZE, which on 64-bit Windows is 104 bytes, not the 32-bit 88, since the
/// window and icon handles are full width), the model's fields copied, its 32-bit icon number
/// turned into a handle by `iconFor`. A balloon (kNotifyInfo) needs the second-version layout, which
/// holds its fields.
NOTIFYICONDATAA toShellRecord(const NotifyIconData& data, HWND window, std::uint32_t flags,
                              const std::function<HICON(std::uint32_t)>& iconFor);

/// Shell_NotifyIconA: a message (NIM_ADD, NIM_MODIFY, NIM_DELETE) and its record. Tests replace it
/// to see what the notification area is given.
using ShellNotifyCall = std::function<bool(std::uint32_t message, NOTIFYICONDATAA& record)>;

/// The notification area through Shell_NotifyIconA, for the window that receives the icon's
/// callback messages. It keeps the icon as last given, for a notification area that restarts.
class ShellNotifyIcon final : public NotifyIcon
{
public:
    /// Without `call`, the real Shell_NotifyIconA.
    ShellNotifyIcon(HWND window, std::function<HICON(std::uint32_t)> iconFor, ShellNotifyCall call = {});

    void add(const NotifyIconData& data) override;
    void modify(const NotifyIconData& data, std::uint32_t flags) override;
    void remove(const NotifyIconData& data) override;

    /// Adds the shown icon again, whole and as it stands now, to a notification area that has
    /// restarted (Explorer's "TaskbarCreated") and knows nothing of it; nothing when none is shown.
    void addAgain();

private:
    HWND m_window;
    std::function<HICON(std::uint32_t)> m_iconFor;
    ShellNotifyCall m_call;
    std::optional<NotifyIconData> m_shown;
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
