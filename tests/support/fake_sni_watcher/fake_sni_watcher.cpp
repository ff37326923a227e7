#include "tests/support/fake_sni_watcher/fake_sni_watcher.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace nimbrel::testing {

FakeSniWatcher::FakeSniWatcher(QDBusConnection connection, QObject* parent)
    : QObject(parent)
    , m_connection(std::move(connection)) {
    m_owners.setConnection(m_connection);
    m_owners.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(&m_owners, &QDBusServiceWatcher::serviceUnregistered, this, &FakeSniWatcher::forgetOwner);
}

FakeSniWatcher::~FakeSniWatcher() {
    m_connection.unregisterService(QString::fromLatin1(kService));
    m_connection.unregisterObject(QString::fromLatin1(kPath));
}

bool FakeSniWatcher::appear() {
    return m_connection.registerObject(QString::fromLatin1(kPath), this,
                                       QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                                           QDBusConnection::ExportAllProperties) &&
           m_connection.registerService(QString::fromLatin1(kService));
}

void FakeSniWatcher::RegisterStatusNotifierItem(const QString& service) {
    // An item that gives an object path lives on the connection that called; the owner to watch is that one.
    const QString sender = calledFromDBus() ? message().service() : QString();
    const bool isPath = service.startsWith(QLatin1Char('/'));
    const QString owner = isPath ? sender : service;
    const QString item = owner + (isPath ? service : QString::fromLatin1(kDefaultItemPath));
    if (owner.isEmpty() || m_items.contains(item)) {
        return;
    }
    m_items.append(item);
    m_owners.addWatchedService(owner);
    Q_EMIT StatusNotifierItemRegistered(item);
}

void FakeSniWatcher::RegisterStatusNotifierHost(const QString& service) {
    if (!service.isEmpty() && !m_hosts.contains(service)) {
        m_hosts.append(service);
        m_owners.addWatchedService(service);
        Q_EMIT StatusNotifierHostRegistered();
    }
}

void FakeSniWatcher::forgetOwner(const QString& busName) {
    m_owners.removeWatchedService(busName);
    const QString prefix = busName + QLatin1Char('/');
    for (qsizetype index = m_items.size() - 1; index >= 0; --index) {
        if (m_items[index].startsWith(prefix)) {
            const QString item = m_items.takeAt(index);
            Q_EMIT StatusNotifierItemUnregistered(item);
        }
    }
    if (m_hosts.removeAll(busName) > 0) {
        Q_EMIT StatusNotifierHostUnregistered();
    }
}

} // namespace nimbrel::testing
