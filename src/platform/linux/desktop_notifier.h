#pragma once

#include "platform/notifier.h"

#include <QDBusConnection>

#include <memory>

namespace quelvo {

/// Notifications through the desktop's notification service (org.freedesktop.Notifications) on the
/// session bus: normal urgency, the choices as its actions, a click on the notification itself as
/// its "default" action. Answers arrive through the Qt event loop.
class DesktopNotifier final : public Notifier
{
public:
    /// On the session bus (DBUS_SESSION_BUS_ADDRESS is honoured), unless another is given.
    explicit DesktopNotifier(const QDBusConnection& bus = QDBusConnection::sessionBus());
    ~DesktopNotifier() override;
    DesktopNotifier(const DesktopNotifier&) = delete;
    DesktopNotifier& operator=(const DesktopNotifier&) = delete;

    /// True when a service answers and says it shows actions.
    [[nodiscard]] bool available() const override;
    bool show(const Notification& notification, NotificationHandler onAction) override;
    void close() override;

private:
    class Listener;
    std::unique_ptr<Listener> m_listener;
};

} // namespace quelvo
