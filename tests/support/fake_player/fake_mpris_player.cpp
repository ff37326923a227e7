#include "tests/support/fake_player/fake_mpris_player.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QTimer>
#include <atomic>

namespace nimbrel::testing {
namespace {

const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

std::atomic<int> connectionCounter{0};

} // namespace

FakeMprisPlayer::FakeMprisPlayer(QString name, QObject* parent)
    : QDBusVirtualObject(parent)
    , m_name(std::move(name))
    , m_identity(m_name.section(QLatin1Char('.'), 0, 0))
    , m_desktopEntry(m_identity.toLower()) {
    if (!m_identity.isEmpty()) {
        m_identity[0] = m_identity[0].toUpper();
    }
}

FakeMprisPlayer::~FakeMprisPlayer() {
    quit();
}

QString FakeMprisPlayer::busName() const {
    return QStringLiteral("org.mpris.MediaPlayer2.") + m_name;
}

bool FakeMprisPlayer::appear() {
    if (isOnBus()) {
        return true;
    }
    const QString connectionName =
        QStringLiteral("fake-mpris-%1-%2").arg(m_name).arg(connectionCounter.fetch_add(1) + 1);
    QDBusConnection connection = QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName);
    if (!connection.isConnected() || !connection.registerVirtualObject(kPath, this) ||
        !connection.registerService(busName())) {
        QDBusConnection::disconnectFromBus(connectionName);
        return false;
    }
    m_connectionName = connectionName;
    return true;
}

void FakeMprisPlayer::quit() {
    if (!isOnBus()) {
        return;
    }
    const QString connectionName = std::exchange(m_connectionName, QString());
    {
        QDBusConnection connection(connectionName);
        connection.unregisterObject(kPath);
    }
    // Closing the connection, rather than only releasing the name, is what a player that quits does; the
    // bus then answers every call still waiting on it with an error.
    QDBusConnection::disconnectFromBus(connectionName);
}

void FakeMprisPlayer::setIdentity(const QString& identity, const QString& desktopEntry) {
    m_identity = identity;
    m_desktopEntry = desktopEntry;
}

void FakeMprisPlayer::play(const Track& track) {
    m_track = track;
    m_status = QStringLiteral("Playing");
    announce({{QStringLiteral("PlaybackStatus"), m_status}, {QStringLiteral("Metadata"), metadata()}});
}

void FakeMprisPlayer::pause() {
    m_status = QStringLiteral("Paused");
    announce({{QStringLiteral("PlaybackStatus"), m_status}});
}

void FakeMprisPlayer::stop(bool clearTrack) {
    m_status = QStringLiteral("Stopped");
    if (clearTrack) {
        m_track.reset();
    }
    announce({{QStringLiteral("PlaybackStatus"), m_status}, {QStringLiteral("Metadata"), metadata()}});
}

void FakeMprisPlayer::changeTrack(const Track& track, int rounds) {
    if (rounds > 1) {
        // Spotify announces a new track first with part of its metadata, then again in full.
        m_track = Track{{}, track.title, {}};
        announce({{QStringLiteral("Metadata"), metadata()}});
    }
    m_track = track;
    m_status = QStringLiteral("Playing");
    announce({{QStringLiteral("PlaybackStatus"), m_status}, {QStringLiteral("Metadata"), metadata()}});
}

void FakeMprisPlayer::setPlayerProperty(const QString& name, const QVariant& value) {
    m_overrides.insert(name, value);
    announce({{name, value}});
}

void FakeMprisPlayer::failWith(const QString& errorName, const QString& message) {
    m_errorName = errorName;
    m_errorMessage = message;
}

QVariantMap FakeMprisPlayer::metadata() const {
    if (!m_track) {
        return {};
    }
    QVariantMap map{
        {QStringLiteral("mpris:trackid"),
         QVariant::fromValue(
             QDBusObjectPath(QStringLiteral("/com/quillmoor/fake/track/%1").arg(qHash(m_track->title) % 100000)))},
        {QStringLiteral("xesam:title"), m_track->title},
        {QStringLiteral("mpris:length"), qlonglong(215'000'000)},
    };
    if (!m_track->artists.isEmpty()) {
        map.insert(QStringLiteral("xesam:artist"), m_track->artists);
    }
    if (!m_track->artUrl.isEmpty()) {
        map.insert(QStringLiteral("mpris:artUrl"), m_track->artUrl);
    }
    return map;
}

QVariantMap FakeMprisPlayer::playerProperties() const {
    QVariantMap properties{
        {QStringLiteral("PlaybackStatus"), m_status},
        {QStringLiteral("LoopStatus"), QStringLiteral("None")},
        {QStringLiteral("Rate"), 1.0},
        {QStringLiteral("Shuffle"), false},
        {QStringLiteral("Metadata"), metadata()},
        {QStringLiteral("Volume"), 1.0},
        {QStringLiteral("Position"), qlonglong(0)},
        {QStringLiteral("MinimumRate"), 1.0},
        {QStringLiteral("MaximumRate"), 1.0},
        {QStringLiteral("CanGoNext"), true},
        {QStringLiteral("CanGoPrevious"), true},
        {QStringLiteral("CanPlay"), true},
        {QStringLiteral("CanPause"), true},
        {QStringLiteral("CanSeek"), false},
        {QStringLiteral("CanControl"), true},
    };
    for (auto it = m_overrides.cbegin(); it != m_overrides.cend(); ++it) {
        properties.insert(it.key(), it.value());
    }
    return properties;
}

QVariantMap FakeMprisPlayer::rootProperties() const {
    return {
        {QStringLiteral("CanQuit"), true},
        {QStringLiteral("CanRaise"), false},
        {QStringLiteral("HasTrackList"), false},
        {QStringLiteral("Identity"), m_identity},
        {QStringLiteral("DesktopEntry"), m_desktopEntry},
        {QStringLiteral("SupportedUriSchemes"), QStringList{QStringLiteral("file")}},
        {QStringLiteral("SupportedMimeTypes"), QStringList{QStringLiteral("audio/mpeg")}},
    };
}

void FakeMprisPlayer::announce(const QVariantMap& changed) {
    QDBusMessage signal = QDBusMessage::createSignal(kPath, kProperties, QStringLiteral("PropertiesChanged"));
    signal << kPlayer << changed << QStringList();
    send(signal);
}

void FakeMprisPlayer::send(const QDBusMessage& message) {
    if (isOnBus()) {
        QDBusConnection(m_connectionName).send(message);
    }
}

QString FakeMprisPlayer::introspect(const QString& /*path*/) const {
    return QStringLiteral(R"(
  <interface name="org.mpris.MediaPlayer2">
    <method name="Raise"/><method name="Quit"/>
    <property name="CanQuit" type="b" access="read"/><property name="CanRaise" type="b" access="read"/>
    <property name="HasTrackList" type="b" access="read"/><property name="Identity" type="s" access="read"/>
    <property name="DesktopEntry" type="s" access="read"/>
    <property name="SupportedUriSchemes" type="as" access="read"/>
    <property name="SupportedMimeTypes" type="as" access="read"/>
  </interface>
  <interface name="org.mpris.MediaPlayer2.Player">
    <method name="Next"/><method name="Previous"/><method name="Pause"/><method name="PlayPause"/>
    <method name="Stop"/><method name="Play"/>
    <method name="Seek"><arg direction="in" type="x" name="Offset"/></method>
    <method name="SetPosition"><arg direction="in" type="o" name="TrackId"/><arg direction="in" type="x" name="Position"/></method>
    <method name="OpenUri"><arg direction="in" type="s" name="Uri"/></method>
    <signal name="Seeked"><arg type="x" name="Position"/></signal>
    <property name="PlaybackStatus" type="s" access="read"/><property name="LoopStatus" type="s" access="readwrite"/>
    <property name="Rate" type="d" access="readwrite"/><property name="Shuffle" type="b" access="readwrite"/>
    <property name="Metadata" type="a{sv}" access="read"/><property name="Volume" type="d" access="readwrite"/>
    <property name="Position" type="x" access="read"/><property name="MinimumRate" type="d" access="read"/>
    <property name="MaximumRate" type="d" access="read"/><property name="CanGoNext" type="b" access="read"/>
    <property name="CanGoPrevious" type="b" access="read"/><property name="CanPlay" type="b" access="read"/>
    <property name="CanPause" type="b" access="read"/><property name="CanSeek" type="b" access="read"/>
    <property name="CanControl" type="b" access="read"/>
  </interface>
)");
}

bool FakeMprisPlayer::handleMessage(const QDBusMessage& message, const QDBusConnection& /*connection*/) {
    // Answered on this object's own thread, whichever thread the connection delivers on.
    QMetaObject::invokeMethod(
        this, [this, message] { handle(message); }, Qt::QueuedConnection);
    return true;
}

void FakeMprisPlayer::handle(const QDBusMessage& message) {
    const QString interface = message.interface();
    const QString member = message.member();
    const QVariantList arguments = message.arguments();
    if (interface == kProperties && member == QLatin1String("GetAll") && arguments.size() == 1) {
        const QString target = arguments.constFirst().toString();
        if (target == kPlayer) {
            answerGetAll(message);
        } else if (target == kRoot) {
            send(message.createReply(QVariant(rootProperties())));
        } else {
            send(message.createReply(QVariant(QVariantMap())));
        }
        return;
    }
    if (interface == kProperties && member == QLatin1String("Get") && arguments.size() == 2) {
        const QString target = arguments.at(0).toString();
        const QVariantMap properties = target == kPlayer ? playerProperties() : rootProperties();
        const QString name = arguments.at(1).toString();
        if (!properties.contains(name)) {
            send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty"),
                                          QStringLiteral("No such property ") + name));
            return;
        }
        send(message.createReply(QVariant::fromValue(QDBusVariant(properties.value(name)))));
        return;
    }
    if (interface == QLatin1String("org.freedesktop.DBus.Introspectable") && member == QLatin1String("Introspect")) {
        send(message.createReply(
            QString(QStringLiteral("<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\" "
                                   "\"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n<node>") +
                    introspect(kPath) + QStringLiteral("</node>\n"))));
        return;
    }
    if (interface == QLatin1String("org.freedesktop.DBus.Peer") && member == QLatin1String("Ping")) {
        send(message.createReply());
        return;
    }
    if (interface == kProperties && member == QLatin1String("Set")) {
        send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.PropertyReadOnly"),
                                      QStringLiteral("This player's properties cannot be set")));
        return;
    }
    if (interface == kPlayer || (interface.isEmpty() && message.path() == kPath)) {
        perform(member);
        send(message.createReply());
        return;
    }
    if (interface == kRoot) {
        send(message.createReply());
        return;
    }
    send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
                                  QStringLiteral("No such method ") + member));
}

void FakeMprisPlayer::answerGetAll(const QDBusMessage& message) {
    ++m_getAllCount;
    auto answer = [this, message] {
        if (!m_errorName.isEmpty()) {
            send(message.createErrorReply(m_errorName, m_errorMessage));
        } else if (m_getAllAnswer.isValid()) {
            send(message.createReply(m_getAllAnswer));
        } else {
            send(message.createReply(QVariant(playerProperties())));
        }
    };
    if (m_hangMilliseconds < 0) {
        return;
    }
    if (m_hangMilliseconds > 0) {
        QTimer::singleShot(m_hangMilliseconds, this, answer);
        return;
    }
    answer();
}

void FakeMprisPlayer::perform(const QString& method) {
    m_commands.append(method);
    if (method == QLatin1String("PlayPause")) {
        m_status = m_status == QLatin1String("Playing") ? QStringLiteral("Paused") : QStringLiteral("Playing");
        announce({{QStringLiteral("PlaybackStatus"), m_status}});
    } else if (method == QLatin1String("Play")) {
        m_status = QStringLiteral("Playing");
        announce({{QStringLiteral("PlaybackStatus"), m_status}});
    } else if (method == QLatin1String("Pause")) {
        pause();
    } else if (method == QLatin1String("Stop")) {
        stop();
    }
}

} // namespace nimbrel::testing
