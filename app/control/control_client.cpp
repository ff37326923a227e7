#include "app/control/control_client.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusReply>
#include <thread>

#include "app/control/control_protocol.h"

namespace nimbrel {
namespace {

constexpr std::chrono::milliseconds kRetryPause{50};

QString serviceName() {
    return QString::fromLatin1(ControlProtocol::kServiceName);
}

// The answers of a bus name whose owner has not exported the control object yet.
bool isNotYetExported(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ErrorMessage) {
        return false;
    }
    const QDBusError::ErrorType type = QDBusError(reply).type();
    return type == QDBusError::UnknownObject || type == QDBusError::UnknownInterface ||
           type == QDBusError::UnknownMethod;
}

} // namespace

ControlClient::ControlClient(QDBusConnection bus)
    : m_bus(std::move(bus)) {}

bool ControlClient::isRunning() const {
    const QDBusConnectionInterface* bus = m_bus.interface();
    return bus != nullptr && bus->isServiceRegistered(serviceName()).value();
}

std::uint32_t ControlClient::pid() const {
    const QDBusConnectionInterface* bus = m_bus.interface();
    if (bus == nullptr) {
        return 0;
    }
    const QDBusReply<uint> reply = bus->servicePid(serviceName());
    return reply.isValid() ? reply.value() : 0U;
}

QDBusMessage ControlClient::call(const QString& method, const QVariantList& arguments,
                                 std::chrono::milliseconds timeout) const {
    const auto giveUp = std::chrono::steady_clock::now() + kStartingGrace;
    while (true) {
        QDBusMessage request =
            QDBusMessage::createMethodCall(serviceName(), QString::fromLatin1(ControlProtocol::kObjectPath),
                                           QString::fromLatin1(ControlProtocol::kInterface), method);
        request.setArguments(arguments);
        QDBusMessage reply = m_bus.call(request, QDBus::Block, static_cast<int>(timeout.count()));
        if (!isNotYetExported(reply) || std::chrono::steady_clock::now() >= giveUp || !isRunning()) {
            return reply;
        }
        std::this_thread::sleep_for(kRetryPause);
    }
}

bool ControlClient::waitUntilGone(std::chrono::milliseconds limit) const {
    const auto giveUp = std::chrono::steady_clock::now() + limit;
    while (isRunning()) {
        if (std::chrono::steady_clock::now() >= giveUp) {
            return false;
        }
        std::this_thread::sleep_for(kRetryPause);
    }
    return true;
}

} // namespace nimbrel
