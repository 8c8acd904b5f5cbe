#pragma once

#include "platform/notifier.h"
#include "platform/notify_icon.h"
#include "platform/windows/shell_notify_icon.h"

#include <cstdint>

namespace quelvo {

/// Notifications as the balloon of the program's own notification-area icon. A balloon offers no
/// choices: a click on it comes back as kNotifyClicked, through balloonClicked, which the icon's
/// window calls when the notification area reports it.
class DesktopNotifier final : public Notifier
{
public:
    /// The icon `identifier` names, shown through `icon`.
    DesktopNotifier(NotifyIcon& icon, std::uint32_t identifier);

    /// True while the task bar that holds the notification area is there.
    [[nodiscard]] bool available() const override;
    bool show(const Notification& notification, NotificationHandler onAction) override;
    void close() override;

    /// The user clicked the balloon.
    void balloonClicked();

private:
    void sendInfo(const Notification& notification);

    NotifyIcon& m_icon;
    std::uint32_t m_identifier;
    mutable NotificationArea m_area;
    NotificationHandler m_handler;
};

} // namespace quelvo
