#include "platform/linux/machine_link.h"

#include <QDBusMessage>

#include <chrono>
#include <utility>

namespace quelvo {

namespace {

// The service answers at once; one that hangs must not hold the program's one thread for long.
constexpr int kCallTimeoutMs = 2000;

QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

SystemMachineLink::SystemMachineLink(const QDBusConnection& bus) : m_bus(bus)
{}

void SystemMachineLink::listen(MachineEvents events)
{
    m_events = std::move(events);
    if (std::exchange(m_listening, true))
        return;
    // Matched on the well-known name: a service that starts later is heard too. Without a bus nothing is.
    const QString service = qs(kMachineBusName);
    const QString path = qs(kMachineObjectPath);
    const QString interface = qs(kMachineInterface);
    m_bus.connect(service, path, interface, QStringLiteral("Warning"), this,
                  SLOT(warningHeard(QString, bool, qlonglong, QString, QString)));
    m_bus.connect(service, path, interface, QStringLiteral("CountdownStarted"), this,
                  SLOT(countdownStartedHeard(QString, bool, uint)));
    m_bus.connect(service, path, interface, QStringLiteral("CountdownEnded"), this,
                  SLOT(countdownEndedHeard(QString, QString)));
}

std::string SystemMachineLink::cancel()
{
    return request("Cancel");
}

std::string SystemMachineLink::postpone()
{
    return request("Postpone");
}

std::string SystemMachineLink::skip()
{
    return request("Skip");
}

std::string SystemMachineLink::request(const char* method)
{
    if (!m_bus.isConnected())
        return "the system bus cannot be reached";
    const QDBusMessage call = QDBusMessage::createMethodCall(qs(kMachineBusName), qs(kMachineObjectPath),
                                                             qs(kMachineInterface), QString::fromLatin1(method));
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return {};
    const QString reason = reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
    return reason.isEmpty() ? std::string("the machine's service did not answer") : reason.toStdString();
}

void SystemMachineLink::warningHeard(const QString& line, bool reboot, qlonglong at, const QString& title,
                                     const QString& body)
{
    if (m_events.warning)
        m_events.warning({.line = line.toStdString(),
                          .reboot = reboot,
                          .at = WallTime{} + std::chrono::seconds(at),
                          .title = title.toStdString(),
                          .body = body.toStdString()});
}

void SystemMachineLink::countdownStartedHeard(const QString& line, bool reboot, uint seconds)
{
    if (m_events.countdownStarted)
        m_events.countdownStarted({.line = line.toStdString(), .reboot = reboot, .seconds = static_cast<int>(seconds)});
}

void SystemMachineLink::countdownEndedHeard(const QString& outcome, const QString& who)
{
    if (m_events.countdownEnded)
        m_events.countdownEnded(outcome.toStdString(), who.toStdString());
}

} // namespace quelvo
