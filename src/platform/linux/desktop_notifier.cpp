#include "platform/linux/desktop_notifier.h"

#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

#include <utility>

namespace quelvo {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// The action a click on the notification's body invokes.
const QString kDefaultAction = QStringLiteral("default");

// A service that hangs must not hold the program's one thread for long.
constexpr int kCallTimeoutMs = 2000;

QDBusMessage methodCall(const QString& method, const QVariantList& args = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    message.setArguments(args);
    return message;
}

} // namespace

DesktopNotifier::DesktopNotifier(const QDBusConnection& bus) : m_bus(bus)
{
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                  SLOT(actionInvoked(uint, QString)));
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                  SLOT(notificationClosed(uint, uint)));
}

DesktopNotifier::~DesktopNotifier()
{
    // Its choices would reach nobody once the program is gone.
    close();
}

bool DesktopNotifier::available() const
{
    const QDBusMessage reply = m_bus.call(methodCall(QStringLiteral("GetCapabilities")), QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    return reply.arguments().at(0).toStringList().contains(QStringLiteral("actions"));
}

bool DesktopNotifier::show(const Notification& notification, NotificationHandler onAction)
{
    QStringList actions;
    for (const NotificationAction& action : notification.actions)
        actions << QString::fromStdString(action.key) << QString::fromStdString(action.caption);
    actions << kDefaultAction << QString();
    // Normal urgency: the service shows it in its usual place, without the focus or a modal stay.
    const QVariantMap hints{{QStringLiteral("urgency"), QVariant::fromValue(static_cast<uchar>(1))}};
    const QDBusMessage reply =
        m_bus.call(methodCall(QStringLiteral("Notify"),
                              {QStringLiteral("Quelvo"), QVariant::fromValue(m_id), QStringLiteral("quelvo"),
                               QString::fromStdString(notification.title), QString::fromStdString(notification.body),
                               actions, hints, QVariant::fromValue(-1)}),
                   QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        m_id = 0;
        m_handler = {};
        return false;
    }
    m_id = reply.arguments().at(0).toUInt();
    m_handler = std::move(onAction);
    return true;
}

void DesktopNotifier::close()
{
    const uint id = std::exchange(m_id, 0U);
    m_handler = {};
    if (id != 0)
        m_bus.send(methodCall(QStringLiteral("CloseNotification"), {QVariant::fromValue(id)}));
}

void DesktopNotifier::actionInvoked(uint id, const QString& key)
{
    // Other programs' notifications answer on the same signal.
    if (id == 0 || id != m_id || !m_handler)
        return;
    // A copy: the handler may show the next notification or close this one.
    const NotificationHandler handler = m_handler;
    handler(key == kDefaultAction ? std::string(kNotifyClicked) : key.toStdString());
}

void DesktopNotifier::notificationClosed(uint id, uint /*reason*/)
{
    if (id != 0 && id == m_id) {
        m_id = 0;
        m_handler = {};
    }
}

} // namespace quelvo
