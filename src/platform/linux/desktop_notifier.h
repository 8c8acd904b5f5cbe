#pragma once

#include "platform/notifier.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace quelvo {

/// Notifications through the desktop's notification service (org.freedesktop.Notifications) on the
/// session bus: normal urgency, the choices as its actions, a click on the notification itself as
/// its "default" action. Answers arrive through the Qt event loop.
class DesktopNotifier final : public QObject, public Notifier
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DesktopNotifier)

public:
    /// On the session bus (DBUS_SESSION_BUS_ADDRESS is honoured), unless another is given.
    explicit DesktopNotifier(const QDBusConnection& bus = QDBusConnection::sessionBus());
    ~DesktopNotifier() override;

    /// True when a service answers and says it shows actions.
    [[nodiscard]] bool available() const override;
    bool show(const Notification& notification, NotificationHandler onAction) override;
    void close() override;

private Q_SLOTS:
    void actionInvoked(uint id, const QString& key);
    void notificationClosed(uint id, uint reason);

private:
    mutable QDBusConnection m_bus;
    uint m_id = 0; // the shown notification's number; 0 while none is shown
    NotificationHandler m_handler;
};

} // namespace quelvo
