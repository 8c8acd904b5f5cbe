#pragma once

#include "platform/machine_link.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace quelvo {

/// The link to the machine's service on the system bus: its signals are heard through the Qt event
/// loop, whether the service runs now or starts later; requests wait a short while for its answer,
/// whose error message is the reason given when it refuses.
class SystemMachineLink final : public QObject, public MachineLink
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SystemMachineLink)

public:
    /// On the system bus (DBUS_SYSTEM_BUS_ADDRESS is honoured), unless another is given.
    explicit SystemMachineLink(const QDBusConnection& bus = QDBusConnection::systemBus());

    void listen(MachineEvents events) override;
    std::string cancel() override;
    std::string postpone() override;
    std::string skip() override;

private Q_SLOTS:
    void warningHeard(const QString& line, bool reboot, qlonglong at, const QString& title, const QString& body);
    void countdownStartedHeard(const QString& line, bool reboot, uint seconds);
    void countdownEndedHeard(const QString& outcome, const QString& who);

private:
    /// Calls a method without arguments; an empty text when the service did it.
    std::string request(const char* method);

    QDBusConnection m_bus;
    MachineEvents m_events;
    bool m_listening = false;
};

} // namespace quelvo
