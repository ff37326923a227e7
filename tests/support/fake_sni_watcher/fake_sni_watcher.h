#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QStringList>

namespace nimbrel::testing {

/// A StatusNotifierWatcher as a desktop's panel runs it (org.kde.StatusNotifierWatcher on the session bus),
/// with a panel (host) always registered, so that Qt's QSystemTrayIcon finds a tray on a bare X server. It
/// keeps the items that register, as "bus name/object path", and forgets an item when its owner leaves the
/// bus; tests read the items' own properties over D-Bus from there.
class FakeSniWatcher final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredItems)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)

public:
    static constexpr const char* kService = "org.kde.StatusNotifierWatcher";
    static constexpr const char* kPath = "/StatusNotifierWatcher";
    /// The object path an item has when it registers by bus name alone.
    static constexpr const char* kDefaultItemPath = "/StatusNotifierItem";

    explicit FakeSniWatcher(QDBusConnection connection = QDBusConnection::sessionBus(), QObject* parent = nullptr);
    ~FakeSniWatcher() override;
    Q_DISABLE_COPY_MOVE(FakeSniWatcher)

    /// Takes the watcher's name and object on the bus; false when another watcher holds it.
    bool appear();

    QStringList registeredItems() const { return m_items; }
    /// A panel always runs here.
    bool isHostRegistered() const noexcept { return true; }
    int protocolVersion() const noexcept { return 0; }

public Q_SLOTS:
    /// `service` is a bus name (the item sits at /StatusNotifierItem) or an object path on the caller's
    /// connection.
    void RegisterStatusNotifierItem(const QString& service);
    void RegisterStatusNotifierHost(const QString& service);

Q_SIGNALS:
    void StatusNotifierItemRegistered(const QString& item);
    void StatusNotifierItemUnregistered(const QString& item);
    void StatusNotifierHostRegistered();
    void StatusNotifierHostUnregistered();

private:
    void forgetOwner(const QString& busName);

    QDBusConnection m_connection;
    QDBusServiceWatcher m_owners;
    QStringList m_items;
    QStringList m_hosts;
};

} // namespace nimbrel::testing
