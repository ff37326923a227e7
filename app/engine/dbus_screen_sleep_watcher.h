#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>

#include "app/engine/screen_sleep_watcher.h"
#include "app/log/log_sink.h"

class QDBusMessage;
class QDBusServiceWatcher;

namespace nimbrel {

/// The screens' sleep as the desktop tells it over D-Bus: they count as asleep while any screen saver
/// says it is active (`ActiveChanged` of org.freedesktop.ScreenSaver, as KDE and Xfce offer it, and of
/// org.gnome.ScreenSaver) or while logind prepares the machine for sleep (`PrepareForSleep`, true until
/// false). Screen savers are heard by signal match, so one that starts later is heard too; each is asked
/// for its state when the watch starts and when it appears. Never blocks on a screen saver.
class DBusScreenSleepWatcher final : public QObject, public ScreenSleepWatcher {
    Q_OBJECT

public:
    /// One place a screen saver announces itself: its bus name, object path and interface.
    struct SaverEndpoint {
        const char* service;
        const char* path;
        const char* interface;
    };
    /// KDE's and Xfce's savers speak on both freedesktop paths; GNOME Shell on its own interface.
    static constexpr std::array<SaverEndpoint, 3> kSaverEndpoints{{
        {"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver"},
        {"org.freedesktop.ScreenSaver", "/ScreenSaver", "org.freedesktop.ScreenSaver"},
        {"org.gnome.ScreenSaver", "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver"},
    }};
    static constexpr const char* kLogindService = "org.freedesktop.login1";
    static constexpr const char* kLogindPath = "/org/freedesktop/login1";
    static constexpr const char* kLogindInterface = "org.freedesktop.login1.Manager";
    /// How long a screen saver may take to say whether it is active; it never holds anything up meanwhile.
    static constexpr int kGetActiveTimeoutMilliseconds = 5000;

    /// `sessionBus` carries the screen savers, `systemBus` logind. Lines go to `log`, all at debug level.
    DBusScreenSleepWatcher(QDBusConnection sessionBus, QDBusConnection systemBus, LogSink log = appLogSink(),
                           QObject* parent = nullptr);
    ~DBusScreenSleepWatcher() override;
    Q_DISABLE_COPY_MOVE(DBusScreenSleepWatcher)

    void start(Handler onChange) override;
    void stop() override;

    /// The screens' state as last reported (false before start and after stop).
    bool isAsleep() const { return m_asleep; }

private Q_SLOTS:
    void onActiveChanged(bool active, const QDBusMessage& message);
    void onPrepareForSleep(bool starting);

private:
    void connectSignals();
    void disconnectSignals();
    void onSaverOwnerChanged(const QString& service, const QString& oldOwner, const QString& newOwner);
    /// Asks the endpoints of `service` (all when empty) whether their saver is active, without waiting.
    void askActive(const QString& service);
    void setSaverActive(std::size_t endpoint, bool active);
    /// Reports the combined state if it changed; the handler may stop or restart the watch.
    void report();

    QDBusConnection m_sessionBus;
    QDBusConnection m_systemBus;
    LogSink m_log;
    Handler m_handler;
    bool m_watching = false;
    /// Replies to questions asked before the latest start or stop are dropped.
    std::uint64_t m_generation = 0;
    std::array<bool, kSaverEndpoints.size()> m_saverActive{};
    bool m_preparingForSleep = false;
    bool m_asleep = false;
    QDBusServiceWatcher* m_saverOwners = nullptr;
};

} // namespace nimbrel
