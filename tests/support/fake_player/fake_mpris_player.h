#pragma once

#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <optional>

namespace nimbrel::testing {

/// A music player on the session bus that speaks MPRIS 2 the way real players do (GetAll, Get,
/// PropertiesChanged, the transport methods), and that can be told to misbehave: hang on GetAll, answer
/// with an error or with values of the wrong type, quit in the middle of a call. It has its own bus
/// connection, so appearing and quitting are real NameOwnerChanged events. Use it on one thread only
/// (FakePlayer runs it on a thread of its own).
class FakeMprisPlayer final : public QDBusVirtualObject {
    Q_OBJECT

public:
    struct Track {
        QStringList artists;
        QString title;
        QString artUrl;
    };

    /// `name` is the bus-name suffix: "spotify" is org.mpris.MediaPlayer2.spotify.
    explicit FakeMprisPlayer(QString name, QObject* parent = nullptr);
    ~FakeMprisPlayer() override;
    Q_DISABLE_COPY_MOVE(FakeMprisPlayer)

    QString busName() const;
    /// Connects to the session bus and takes the bus name; false when that fails.
    bool appear();
    /// Leaves the bus; calls still waiting for an answer are never answered (the bus reports the caller an
    /// error, as when a player crashes).
    void quit();
    bool isOnBus() const { return !m_connectionName.isEmpty(); }

    void setIdentity(const QString& identity, const QString& desktopEntry);
    /// Plays `track` (announced in one PropertiesChanged).
    void play(const Track& track);
    void pause();
    /// Stops; with `clearTrack` the queue is empty, so there is no current track.
    void stop(bool clearTrack = false);
    /// Switches to `track` while playing, in one PropertiesChanged or, as Spotify does, in two (first a
    /// Metadata with only the title, then the whole of it).
    void changeTrack(const Track& track, int rounds);
    /// Sets a Player property to any value, of any type, and announces it.
    void setPlayerProperty(const QString& name, const QVariant& value);
    /// GetAll of the Player interface waits this long before answering; negative: never answers.
    void hangGetAll(int milliseconds) { m_hangMilliseconds = milliseconds; }
    /// GetAll of the Player interface fails with this D-Bus error; an empty name answers normally again.
    void failWith(const QString& errorName, const QString& message);
    /// GetAll of the Player interface answers this one value instead of the properties.
    void answerGetAllWith(const QVariant& value) { m_getAllAnswer = value; }

    /// The transport methods received, in order ("PlayPause", "Next", …).
    QStringList receivedCommands() const { return m_commands; }
    int getAllCount() const { return m_getAllCount; }

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    void handle(const QDBusMessage& message);
    void answerGetAll(const QDBusMessage& message);
    void perform(const QString& method);
    QVariantMap playerProperties() const;
    QVariantMap rootProperties() const;
    QVariantMap metadata() const;
    void announce(const QVariantMap& changed);
    void send(const QDBusMessage& message);

    const QString m_name;
    QString m_connectionName;
    QString m_identity;
    QString m_desktopEntry;
    QString m_status = QStringLiteral("Stopped");
    std::optional<Track> m_track;
    QVariantMap m_overrides;
    int m_hangMilliseconds = 0;
    QString m_errorName;
    QString m_errorMessage;
    QVariant m_getAllAnswer;
    QStringList m_commands;
    int m_getAllCount = 0;
};

} // namespace nimbrel::testing
