#include "app/control/running_instance.h"

#include <QDBusConnectionInterface>
#include <QDBusReply>

#include "app/control/control_protocol.h"
#include "app/control/control_service.h"

namespace nimbrel {

RunningInstance::RunningInstance(QDBusConnection bus)
    : m_bus(std::move(bus)) {}

RunningInstance::~RunningInstance() {
    if (m_exported) {
        m_bus.unregisterObject(QString::fromLatin1(ControlProtocol::kObjectPath));
    }
    if (m_ownsName) {
        m_bus.unregisterService(QString::fromLatin1(ControlProtocol::kServiceName));
    }
}

RunningInstance::ClaimResult RunningInstance::claim() {
    const QString name = QString::fromLatin1(ControlProtocol::kServiceName);
    QDBusConnectionInterface* bus = m_bus.interface();
    if (bus == nullptr) {
        return {.claim = Claim::failed, .otherPid = 0, .problem = QStringLiteral("not connected to the session bus")};
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus->registerService(
        name, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
        m_ownsName = true;
        return {.claim = Claim::owned, .otherPid = 0, .problem = {}};
    }
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceNotRegistered) {
        const QDBusReply<uint> pid = bus->servicePid(name);
        return {.claim = Claim::anotherRunning, .otherPid = pid.isValid() ? pid.value() : 0U, .problem = {}};
    }
    return {.claim = Claim::failed, .otherPid = 0, .problem = reply.error().message()};
}

bool RunningInstance::exportControl(ControlService& service) {
    ControlProtocol::registerTypes();
    m_exported = m_bus.registerObject(QString::fromLatin1(ControlProtocol::kObjectPath), &service,
                                      QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals);
    return m_exported;
}

std::string RunningInstance::anotherRunningLine(std::uint32_t pid) {
    return "another Nimbrel is already running (pid " + std::to_string(pid) +
           ") \u2014 quitting this instance so the two can't overwrite each other's config or Slack status";
}

} // namespace nimbrel
