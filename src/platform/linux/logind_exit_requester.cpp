#include "platform/linux/logind_exit_requester.h"

#include "power/power_table.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QVariantList>
#include <cerrno>
#include <cstdlib>

namespace quelvo {

namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kUnknownMethod = QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod");

// SD_LOGIND_ROOT_CHECK_INHIBITORS: block inhibitors hold even when the caller is root.
constexpr quint64 kCheckInhibitors = 1;

QDBusMessage callManager(QDBusConnection& bus, const QString& method, const QVariantList& args)
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kManager, method);
    message.setArguments(args);
    message.setInteractiveAuthorizationAllowed(false);
    return bus.call(message, QDBus::Block);
}

ExitResult failure(const QDBusMessage& reply)
{
    const QString name = reply.errorName();
    const bool denied = name.endsWith(QLatin1String(".AccessDenied")) ||
                        name.endsWith(QLatin1String(".InteractiveAuthorizationRequired")) ||
                        name.endsWith(QLatin1String(".AuthFailed"));
    const QString message = reply.errorMessage().isEmpty() ? name : reply.errorMessage();
    return {false, static_cast<std::uint32_t>(denied ? EACCES : EIO), message.toStdString()};
}

} // namespace

LogindExitRequester::LogindExitRequester(std::string sessionId) : m_sessionId(std::move(sessionId))
{}

ExitResult LogindExitRequester::requestExit(std::int32_t flags)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        const QString why = bus.lastError().message();
        return {false, static_cast<std::uint32_t>(ENOTCONN),
                "cannot reach the system bus" + (why.isEmpty() ? std::string() : ": " + why.toStdString())};
    }

    QString method;
    QString fallback;
    if ((flags & kExitReboot) != 0) {
        method = QStringLiteral("RebootWithFlags");
        fallback = QStringLiteral("Reboot");
    } else if ((flags & (kExitShutdown | kExitPowerOff)) != 0) {
        method = QStringLiteral("PowerOffWithFlags");
        fallback = QStringLiteral("PowerOff");
    } else {
        // Log off: the session ends; logind resolves an empty id to the caller's session.
        const QDBusMessage reply =
            callManager(bus, QStringLiteral("TerminateSession"), {QString::fromStdString(m_sessionId)});
        return reply.type() == QDBusMessage::ErrorMessage ? failure(reply) : ExitResult{true, 0, {}};
    }

    const bool forced = (flags & (kExitForce | kExitForceIfHung)) != 0;
    const quint64 logindFlags = forced ? 0 : kCheckInhibitors;
    QDBusMessage reply = callManager(bus, method, {QVariant::fromValue(logindFlags)});
    // logind before v248 has no *WithFlags methods; the old ones check inhibitors for non-root callers.
    if (reply.type() == QDBusMessage::ErrorMessage && reply.errorName() == kUnknownMethod)
        reply = callManager(bus, fallback, {QVariant(false)});
    return reply.type() == QDBusMessage::ErrorMessage ? failure(reply) : ExitResult{true, 0, {}};
}

std::string currentSessionId()
{
    const char* id = std::getenv("XDG_SESSION_ID");
    return id != nullptr ? id : "";
}

} // namespace quelvo
