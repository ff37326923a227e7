#include "app/engine/dbus_screen_sleep_watcher.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QStringList>
#include <string>
#include <utility>

namespace nimbrel {
namespace {

const QString kActiveChanged = QStringLiteral("ActiveChanged");
const QString kPrepareForSleep = QStringLiteral("PrepareForSleep");

QString text(const char* latin1) {
    return QString::fromLatin1(latin1);
}

std::string endpointName(const DBusScreenSleepWatcher::SaverEndpoint& endpoint) {
    return std::string(endpoint.service) + ' ' + endpoint.path;
}

std::string stateLine(bool asleep) {
    return asleep ? "screens: asleep" : "screens: awake";
}

std::string unansweredLine(const DBusScreenSleepWatcher::SaverEndpoint& endpoint, const QString& errorName) {
    return "screens: no screen saver state from " + endpointName(endpoint) + " (" + errorName.toStdString() +
           "), counted as not active";
}

std::string unwatchedLine(const char* what, const char* bus) {
    return std::string("screens: cannot watch ") + what + " on the " + bus + " bus";
}

} // namespace

DBusScreenSleepWatcher::DBusScreenSleepWatcher(QDBusConnection sessionBus, QDBusConnection systemBus, LogSink log,
                                               QObject* parent)
    : QObject(parent)
    , m_sessionBus(std::move(sessionBus))
    , m_systemBus(std::move(systemBus))
    , m_log(std::move(log)) {}

DBusScreenSleepWatcher::~DBusScreenSleepWatcher() {
    stop();
}

void DBusScreenSleepWatcher::start(Handler onChange) {
    stop();
    m_handler = std::move(onChange);
    m_watching = true;
    connectSignals();
    askActive({});
}

void DBusScreenSleepWatcher::stop() {
    if (!m_watching) {
        return;
    }
    m_watching = false;
    ++m_generation;
    m_handler = nullptr;
    disconnectSignals();
    m_saverActive.fill(false);
    m_preparingForSleep = false;
    m_asleep = false;
}

void DBusScreenSleepWatcher::connectSignals() {
    for (const SaverEndpoint& endpoint : kSaverEndpoints) {
        // No service named: a screen saver that starts after us is heard as well.
        if (!m_sessionBus.connect({}, text(endpoint.path), text(endpoint.interface), kActiveChanged, this,
                                  SLOT(onActiveChanged(bool, QDBusMessage)))) {
            if (m_log) {
                m_log(LogLevel::debug, unwatchedLine(endpoint.interface, "session"));
            }
        }
    }
    // Named here: anyone may send a signal on the system bus, but only logind says the machine sleeps.
    if (!m_systemBus.connect(text(kLogindService), text(kLogindPath), text(kLogindInterface), kPrepareForSleep, this,
                             SLOT(onPrepareForSleep(bool)))) {
        if (m_log) {
            m_log(LogLevel::debug, unwatchedLine(kLogindService, "system"));
        }
    }
    // A saver that quits while active (or crashes on the lock screen) would otherwise keep the screens asleep.
    QStringList services;
    for (const SaverEndpoint& endpoint : kSaverEndpoints) {
        if (!services.contains(text(endpoint.service))) {
            services.append(text(endpoint.service));
        }
    }
    m_saverOwners = new QDBusServiceWatcher(this);
    m_saverOwners->setConnection(m_sessionBus);
    m_saverOwners->setWatchedServices(services);
    m_saverOwners->setWatchMode(QDBusServiceWatcher::WatchForOwnerChange);
    connect(m_saverOwners, &QDBusServiceWatcher::serviceOwnerChanged, this,
            &DBusScreenSleepWatcher::onSaverOwnerChanged);
}

void DBusScreenSleepWatcher::disconnectSignals() {
    for (const SaverEndpoint& endpoint : kSaverEndpoints) {
        m_sessionBus.disconnect({}, text(endpoint.path), text(endpoint.interface), kActiveChanged, this,
                                SLOT(onActiveChanged(bool, QDBusMessage)));
    }
    m_systemBus.disconnect(text(kLogindService), text(kLogindPath), text(kLogindInterface), kPrepareForSleep, this,
                           SLOT(onPrepareForSleep(bool)));
    delete m_saverOwners;
    m_saverOwners = nullptr;
}

void DBusScreenSleepWatcher::onSaverOwnerChanged(const QString& service, const QString& oldOwner,
                                                 const QString& newOwner) {
    if (!m_watching) {
        return;
    }
    if (!oldOwner.isEmpty()) {
        for (std::size_t index = 0; index < kSaverEndpoints.size(); ++index) {
            if (service == text(kSaverEndpoints.at(index).service)) {
                m_saverActive.at(index) = false;
            }
        }
    }
    if (!newOwner.isEmpty()) {
        askActive(service);
    }
    report();
}

void DBusScreenSleepWatcher::askActive(const QString& service) {
    for (std::size_t index = 0; index < kSaverEndpoints.size(); ++index) {
        const SaverEndpoint& endpoint = kSaverEndpoints.at(index);
        if (!service.isEmpty() && service != text(endpoint.service)) {
            continue;
        }
        QDBusMessage call = QDBusMessage::createMethodCall(text(endpoint.service), text(endpoint.path),
                                                           text(endpoint.interface), QStringLiteral("GetActive"));
        // Asking must never launch a screen saver that is installed but not running.
        call.setAutoStartService(false);
        auto* pending = new QDBusPendingCallWatcher(m_sessionBus.asyncCall(call, kGetActiveTimeoutMilliseconds), this);
        connect(pending, &QDBusPendingCallWatcher::finished, this,
                [this, index, generation = m_generation](QDBusPendingCallWatcher* finished) {
                    finished->deleteLater();
                    if (generation != m_generation) {
                        return;
                    }
                    const QDBusPendingReply<bool> reply = *finished;
                    if (reply.isError()) {
                        if (m_log) {
                            m_log(LogLevel::debug, unansweredLine(kSaverEndpoints.at(index), reply.error().name()));
                        }
                        return;
                    }
                    setSaverActive(index, reply.value());
                });
    }
}

void DBusScreenSleepWatcher::onActiveChanged(bool active, const QDBusMessage& message) {
    for (std::size_t index = 0; index < kSaverEndpoints.size(); ++index) {
        const SaverEndpoint& endpoint = kSaverEndpoints.at(index);
        if (message.path() == text(endpoint.path) && message.interface() == text(endpoint.interface)) {
            setSaverActive(index, active);
            return;
        }
    }
}

void DBusScreenSleepWatcher::onPrepareForSleep(bool starting) {
    if (!m_watching) {
        return;
    }
    m_preparingForSleep = starting;
    report();
}

void DBusScreenSleepWatcher::setSaverActive(std::size_t endpoint, bool active) {
    if (!m_watching) {
        return;
    }
    m_saverActive.at(endpoint) = active;
    report();
}

void DBusScreenSleepWatcher::report() {
    bool asleep = m_preparingForSleep;
    for (const bool active : m_saverActive) {
        asleep = asleep || active;
    }
    if (!m_watching || asleep == m_asleep) {
        return;
    }
    m_asleep = asleep;
    if (m_log) {
        m_log(LogLevel::debug, stateLine(asleep));
    }
    // A copy, since the handler may stop the watch (and so drop m_handler) while it runs.
    const Handler handler = m_handler;
    if (handler) {
        handler(asleep);
    }
}

} // namespace nimbrel
