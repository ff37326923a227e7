#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/sources/player_bridge.h"
#include "app/sources/player_descriptor.h"

class QDBusMessage;
class QDBusServiceWatcher;

namespace nimbrel {

namespace detail {
class MprisObserver;
}

/// The bridge to a player over MPRIS on a D-Bus connection. The player is found by its bus names (and,
/// for the Apple Music clients, by the Identity or DesktopEntry it gives); with several instances a
/// playing one is preferred. Its answers take the shape of a player script's, so the reading goes
/// through the same parser everywhere.
class MprisBridge final : public PlayerBridge {
public:
    static constexpr const char* kPathName = "/org/mpris/MediaPlayer2";
    static constexpr const char* kRootInterface = "org.mpris.MediaPlayer2";
    static constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";
    static constexpr const char* kBusNamePrefix = "org.mpris.MediaPlayer2.";

    struct Options {
        /// How long one call to a player may take. Longer than the coordinator's time limit, so that a
        /// hung player is reported by the coordinator, yet bounded, so that the thread it holds comes back.
        std::chrono::milliseconds callTimeout{8000};
        /// How long asking an unknown MPRIS player for its Identity may take.
        std::chrono::milliseconds identityTimeout{1000};
    };

    MprisBridge(const PlayerDescriptor& descriptor, QDBusConnection connection, Options options);
    MprisBridge(const PlayerDescriptor& descriptor, QDBusConnection connection);
    ~MprisBridge() override;
    MprisBridge(const MprisBridge&) = delete;
    MprisBridge& operator=(const MprisBridge&) = delete;

    std::string_view language() const override { return "MPRIS"; }
    bool isRunning() override;
    ReadingAnswer runReading() override;
    std::optional<std::string> artworkAddress() override;
    std::optional<std::string> command(PlayerCommand command) override;
    void observe(std::function<void()> handler) override;
    void stopObserving() override;

    /// Whether `busName` is one of the descriptor's own MPRIS names (or an instance of one).
    static bool isOwnBusName(const PlayerDescriptor& descriptor, const QString& busName);
    /// Whether an Identity or DesktopEntry names the descriptor's player.
    static bool identityNames(const PlayerDescriptor& descriptor, const QString& identity, const QString& desktopEntry);
    /// The reading's answer for one player's Player properties (as GetAll gives them).
    static ReadingAnswer answerFor(const QVariantMap& playerProperties);

private:
    struct Instance {
        QString busName;
        QVariantMap properties;
    };
    struct Chosen {
        std::optional<Instance> instance;
        std::optional<Failure> failure;
    };

    /// This player's bus names now on the bus, sorted.
    QStringList busNames();
    bool isThisPlayer(const QString& busName);
    /// The instance to talk to: the first playing one, else the first that answered.
    Chosen choose();
    bool hasOwner(const QString& busName);

    PlayerDescriptor m_descriptor;
    QDBusConnection m_connection;
    Options m_options;
    std::mutex m_observerMutex;
    detail::MprisObserver* m_observer = nullptr;
};

namespace detail {

/// Watches the players' PropertiesChanged and their bus names on the thread that created it, and calls
/// the handler for those that belong to one player.
class MprisObserver final : public QObject {
    Q_OBJECT

public:
    MprisObserver(const PlayerDescriptor& descriptor, QDBusConnection connection, std::function<void()> handler,
                  std::chrono::milliseconds identityTimeout);
    ~MprisObserver() override;
    Q_DISABLE_COPY_MOVE(MprisObserver)

    /// Stops calling the handler at once, from any thread.
    void silence();

private Q_SLOTS:
    void onPropertiesChanged(const QDBusMessage& message);

private:
    void onOwnerChanged(const QString& busName, const QString& oldOwner, const QString& newOwner);
    void confirmByIdentity(const QString& busName, const QString& owner);
    void notify();

    PlayerDescriptor m_descriptor;
    QDBusConnection m_connection;
    std::chrono::milliseconds m_identityTimeout;
    std::mutex m_handlerMutex;
    std::function<void()> m_handler;
    QDBusServiceWatcher* m_watcher = nullptr;
    /// This player's bus names and their current owners (unique names).
    QHash<QString, QString> m_owners;
};

} // namespace detail
} // namespace nimbrel
