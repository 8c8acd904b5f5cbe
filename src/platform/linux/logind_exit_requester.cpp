#include "platform/linux/logind_exit_requester.h"

#include "power/power_table.h"

#include <QDBusArgument>
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

// SD_LOGIND_ROOT_CHECK_INHIBITORS: block inhibitors hold even when the caller is root. Without it
// root passes them; a caller that is not root is checked against other users' inhibitors either way.
constexpr quint64 kCheckInhibitors = 1;
constexpr quint64 kIgnoreInhibitors = 0;

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

/// A power-off or a reboot: its method, the method of logind before v248, and what users call it.
struct PowerRequest
{
    QString method;
    QString oldMethod;
    std::string name;
};

ExitResult ask(QDBusConnection& bus, const PowerRequest& request, quint64 logindFlags)
{
    QDBusMessage reply = callManager(bus, request.method, {QVariant::fromValue(logindFlags)});
    // The old methods check inhibitors for callers that are not root, and ignore them for root.
    if (reply.type() == QDBusMessage::ErrorMessage && reply.errorName() == kUnknownMethod)
        reply = callManager(bus, request.oldMethod, {QVariant(false)});
    return reply.type() == QDBusMessage::ErrorMessage ? failure(reply) : ExitResult{true, 0, {}};
}

// "who (why)" of every block inhibitor on shutdown, or empty. The caller's own applications count
// too: logind lets users past their own inhibitors, so only asking first respects those.
std::string shutdownBlockers(QDBusConnection& bus)
{
    const QDBusMessage reply = callManager(bus, QStringLiteral("ListInhibitors"), {});
    // Unlisted, they are left to logind, which still weighs other users' and the system's.
    if (reply.type() == QDBusMessage::ErrorMessage || reply.signature() != QLatin1String("a(ssssuu)"))
        return {};
    const auto list = reply.arguments().at(0).value<QDBusArgument>();
    std::string blockers;
    list.beginArray();
    while (!list.atEnd()) {
        QString what;
        QString who;
        QString why;
        QString mode;
        quint32 uid = 0;
        quint32 pid = 0;
        list.beginStructure();
        list >> what >> who >> why >> mode >> uid >> pid;
        list.endStructure();
        if (mode != QLatin1String("block") || !what.split(QLatin1Char(':')).contains(QLatin1String("shutdown")))
            continue;
        if (!blockers.empty())
            blockers += ", ";
        blockers += who.toStdString();
        if (!why.isEmpty())
            blockers += " (" + why.toStdString() + ")";
    }
    list.endArray();
    return blockers;
}

ExitResult askRespectingInhibitors(QDBusConnection& bus, const PowerRequest& request, bool forcingRefused)
{
    const std::string blockers = shutdownBlockers(bus);
    if (blockers.empty())
        return ask(bus, request, kCheckInhibitors);
    const std::string refusal = forcingRefused ? " and forcing it is not permitted: " : ": ";
    return {false, static_cast<std::uint32_t>(EBUSY), "Applications are blocking " + request.name + refusal + blockers};
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

    PowerRequest request;
    if ((flags & kExitReboot) != 0) {
        request = {QStringLiteral("RebootWithFlags"), QStringLiteral("Reboot"), "restart"};
    } else if ((flags & (kExitShutdown | kExitPowerOff)) != 0) {
        request = {QStringLiteral("PowerOffWithFlags"), QStringLiteral("PowerOff"), "shut down"};
    } else {
        // Log off: the session ends; logind resolves an empty id to the caller's session.
        const QDBusMessage reply =
            callManager(bus, QStringLiteral("TerminateSession"), {QString::fromStdString(m_sessionId)});
        return reply.type() == QDBusMessage::ErrorMessage ? failure(reply) : ExitResult{true, 0, {}};
    }

    if ((flags & (kExitForce | kExitForceIfHung)) == 0)
        return askRespectingInhibitors(bus, request, false);
    // Forced: logind ignores inhibitors where polkit grants the "-ignore-inhibit" action (always for
    // root). Refused, the request falls back to respecting them, and the refusal says so.
    const ExitResult forced = ask(bus, request, kIgnoreInhibitors);
    if (forced.accepted || forced.errorCode != static_cast<std::uint32_t>(EACCES))
        return forced;
    return askRespectingInhibitors(bus, request, true);
}

std::string currentSessionId()
{
    const char* id = std::getenv("XDG_SESSION_ID");
    return id != nullptr ? id : "";
}

} // namespace quelvo
