#include "app/sources/mpris_bridge.h"

#include <QDBusArgument>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QThread>
#include <utility>

namespace nimbrel {
namespace {

const QString kDBusService = QStringLiteral("org.freedesktop.DBus");
const QString kDBusPath = QStringLiteral("/org/freedesktop/DBus");
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

QString text(const char* latin1) {
    return QString::fromLatin1(latin1);
}

/// A value as the player sent it, with any variant-in-variant wrapping removed.
QVariant unwrapped(QVariant value) {
    for (int depth = 0; depth < 8 && value.metaType() == QMetaType::fromType<QDBusVariant>(); ++depth) {
        value = qvariant_cast<QDBusVariant>(value).variant();
    }
    return value;
}

std::optional<QVariantMap> asMap(const QVariant& raw) {
    const QVariant value = unwrapped(raw);
    if (value.metaType() == QMetaType::fromType<QVariantMap>()) {
        return value.toMap();
    }
    if (value.metaType() == QMetaType::fromType<QDBusArgument>()) {
        const auto argument = qvariant_cast<QDBusArgument>(value);
        if (argument.currentSignature() == QLatin1String("a{sv}")) {
            return qdbus_cast<QVariantMap>(argument);
        }
    }
    return std::nullopt;
}

/// A text the player sent as a string, or (wrongly) as bytes, decoded leniently.
std::optional<QString> asText(const QVariant& raw) {
    const QVariant value = unwrapped(raw);
    if (value.metaType() == QMetaType::fromType<QString>()) {
        return value.toString();
    }
    if (value.metaType() == QMetaType::fromType<QByteArray>()) {
        return QString::fromUtf8(value.toByteArray());
    }
    return std::nullopt;
}

/// xesam:artist is a list of names; some players send a single string.
QString artistsOf(const QVariant& raw) {
    const QVariant value = unwrapped(raw);
    if (value.metaType() == QMetaType::fromType<QStringList>()) {
        return value.toStringList().join(QStringLiteral(", "));
    }
    if (value.metaType() == QMetaType::fromType<QDBusArgument>()) {
        const auto argument = qvariant_cast<QDBusArgument>(value);
        if (argument.currentSignature() == QLatin1String("as")) {
            return qdbus_cast<QStringList>(argument).join(QStringLiteral(", "));
        }
        return {};
    }
    return asText(value).value_or(QString());
}

/// A field of the answer must not contain the separator, or the fields after it would shift.
QString field(QString value) {
    return value.replace(QLatin1Char('\t'), QLatin1Char(' '));
}

std::string failureMessage(const QDBusError& error) {
    const QString message = error.message().isEmpty() ? error.name() : error.message();
    return message.toStdString();
}

int errorNumberOf(const QDBusError& error) {
    if (error.type() == QDBusError::AccessDenied) {
        return PlayerBridge::kPermissionDenied;
    }
    if (error.name() == QLatin1String("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired")) {
        return PlayerBridge::kPermissionUnknown;
    }
    return 0;
}

QString methodOf(PlayerCommand command) {
    switch (command) {
    case PlayerCommand::playPause:
        return QStringLiteral("PlayPause");
    case PlayerCommand::next:
        return QStringLiteral("Next");
    case PlayerCommand::previous:
        return QStringLiteral("Previous");
    }
    return QStringLiteral("PlayPause");
}

QDBusMessage callOn(const QDBusConnection& connection, const QString& service, const QString& path,
                    const QString& interface, const QString& method, const QVariantList& arguments,
                    std::chrono::milliseconds timeout) {
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return connection.call(message, QDBus::Block, static_cast<int>(timeout.count()));
}

/// The bus daemon's answers come from the daemon itself, never from a player, so they cannot hang on one.
QStringList mprisNames(const QDBusConnection& connection) {
    const QDBusMessage reply = callOn(connection, kDBusService, kDBusPath, kDBusService, QStringLiteral("ListNames"),
                                      {}, std::chrono::milliseconds(5000));
    QStringList names;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return names;
    }
    const QStringList all = reply.arguments().constFirst().toStringList();
    for (const QString& name : all) {
        if (name.startsWith(text(MprisBridge::kBusNamePrefix))) {
            names.append(name);
        }
    }
    names.sort();
    return names;
}

QString ownerOf(const QDBusConnection& connection, const QString& busName) {
    const QDBusMessage reply = callOn(connection, kDBusService, kDBusPath, kDBusService, QStringLiteral("GetNameOwner"),
                                      {busName}, std::chrono::milliseconds(5000));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return {};
    }
    return reply.arguments().constFirst().toString();
}

} // namespace

MprisBridge::MprisBridge(const PlayerDescriptor& descriptor, QDBusConnection connection, Options options)
    : m_descriptor(descriptor)
    , m_connection(std::move(connection))
    , m_options(options) {}

MprisBridge::MprisBridge(const PlayerDescriptor& descriptor, QDBusConnection connection)
    : MprisBridge(descriptor, std::move(connection), Options{}) {}

MprisBridge::~MprisBridge() {
    stopObserving();
}

bool MprisBridge::isOwnBusName(const PlayerDescriptor& descriptor, const QString& busName) {
    for (const std::string_view suffix : descriptor.busNames) {
        const QString own = text(kBusNamePrefix) + QString::fromLatin1(suffix.data(), qsizetype(suffix.size()));
        if (busName == own || busName.startsWith(own + QStringLiteral(".instance"))) {
            return true;
        }
    }
    return false;
}

bool MprisBridge::identityNames(const PlayerDescriptor& descriptor, const QString& identity,
                                const QString& desktopEntry) {
    const QString haystack = identity.toLower() + QLatin1Char('\n') + desktopEntry.toLower();
    for (const std::string_view word : descriptor.identityWords) {
        if (haystack.contains(QString::fromLatin1(word.data(), qsizetype(word.size())))) {
            return true;
        }
    }
    return false;
}

bool MprisBridge::isThisPlayer(const QString& busName) {
    if (isOwnBusName(m_descriptor, busName)) {
        return true;
    }
    if (m_descriptor.identityWords.empty()) {
        return false;
    }
    // Another player's own name never counts, however it calls itself.
    for (const PlayerSourceID other : PlayerSourceID::allCases()) {
        if (other != m_descriptor.id && isOwnBusName(PlayerDescriptor::of(other), busName)) {
            return false;
        }
    }
    const QDBusMessage reply = callOn(m_connection, busName, text(kPathName), kPropertiesInterface,
                                      QStringLiteral("GetAll"), {text(kRootInterface)}, m_options.identityTimeout);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return false;
    }
    const QVariantMap root = asMap(reply.arguments().constFirst()).value_or(QVariantMap());
    return identityNames(m_descriptor, asText(root.value(QStringLiteral("Identity"))).value_or(QString()),
                         asText(root.value(QStringLiteral("DesktopEntry"))).value_or(QString()));
}

QStringList MprisBridge::busNames() {
    QStringList own;
    const QStringList names = mprisNames(m_connection);
    for (const QString& name : names) {
        if (isThisPlayer(name)) {
            own.append(name);
        }
    }
    return own;
}

bool MprisBridge::isRunning() {
    return m_connection.isConnected() && !busNames().isEmpty();
}

bool MprisBridge::hasOwner(const QString& busName) {
    return !ownerOf(m_connection, busName).isEmpty();
}

MprisBridge::Chosen MprisBridge::choose() {
    Chosen chosen;
    std::optional<Instance> firstAnswered;
    const QStringList names = busNames();
    for (const QString& name : names) {
        const QDBusMessage reply = callOn(m_connection, name, text(kPathName), kPropertiesInterface,
                                          QStringLiteral("GetAll"), {text(kPlayerInterface)}, m_options.callTimeout);
        if (reply.type() != QDBusMessage::ReplyMessage) {
            const QDBusError error(reply);
            // A player that quit while being asked is simply not there any more.
            if (!hasOwner(name)) {
                continue;
            }
            if (!chosen.failure) {
                chosen.failure = Failure{errorNumberOf(error), failureMessage(error)};
            }
            continue;
        }
        if (reply.signature() != QLatin1String("a{sv}")) {
            if (!chosen.failure) {
                chosen.failure = Failure{0, "the player answered its properties with a value of type \"" +
                                                reply.signature().toStdString() + "\""};
            }
            continue;
        }
        Instance instance{name, asMap(reply.arguments().constFirst()).value_or(QVariantMap())};
        if (asText(instance.properties.value(QStringLiteral("PlaybackStatus"))) == QStringLiteral("Playing")) {
            chosen.instance = std::move(instance);
            return chosen;
        }
        if (!firstAnswered) {
            firstAnswered = std::move(instance);
        }
    }
    chosen.instance = std::move(firstAnswered);
    return chosen;
}

PlayerBridge::ReadingAnswer MprisBridge::answerFor(const QVariantMap& playerProperties) {
    const std::optional<QString> status = asText(playerProperties.value(QStringLiteral("PlaybackStatus")));
    if (!status || status->trimmed().isEmpty()) {
        return Failure{0, "the player gave no PlaybackStatus"};
    }
    QString state;
    if (*status == QLatin1String("Playing")) {
        state = QStringLiteral("playing");
    } else if (*status == QLatin1String("Paused")) {
        state = QStringLiteral("paused");
    } else if (*status == QLatin1String("Stopped")) {
        state = QStringLiteral("stopped");
    } else {
        // Not an MPRIS word; kept as the player's own (a state other than "playing" is never playing).
        state = field(status->trimmed().toLower());
    }

    const QVariantMap metadata = asMap(playerProperties.value(QStringLiteral("Metadata"))).value_or(QVariantMap());
    const QString title = asText(metadata.value(QStringLiteral("xesam:title"))).value_or(QString());
    if (title.isEmpty()) {
        // No current track: fine when stopped or paused, but a playing player must have one.
        if (state == QLatin1String("playing")) {
            return Failure{kNoSuchObject, "the player is playing but has no current track"};
        }
        return Output{state.toStdString()};
    }
    const QString artist = field(artistsOf(metadata.value(QStringLiteral("xesam:artist"))));
    return Output{QString(state + QLatin1Char('\t') + artist + QLatin1Char('\t') + title).toStdString()};
}

PlayerBridge::ReadingAnswer MprisBridge::runReading() {
    if (!m_connection.isConnected()) {
        return NotBuilt{};
    }
    Chosen chosen = choose();
    if (chosen.instance) {
        return answerFor(chosen.instance->properties);
    }
    if (chosen.failure) {
        return *chosen.failure;
    }
    // Every instance quit between the running check and the question.
    return Output{"notrunning"};
}

std::optional<std::string> MprisBridge::artworkAddress() {
    const Chosen chosen = choose();
    if (!chosen.instance) {
        return std::nullopt;
    }
    const QVariantMap metadata =
        asMap(chosen.instance->properties.value(QStringLiteral("Metadata"))).value_or(QVariantMap());
    const std::optional<QString> address = asText(metadata.value(QStringLiteral("mpris:artUrl")));
    if (!address || address->isEmpty()) {
        return std::nullopt;
    }
    return address->toStdString();
}

std::optional<std::string> MprisBridge::command(PlayerCommand command) {
    const Chosen chosen = choose();
    if (!chosen.instance) {
        return chosen.failure ? chosen.failure->message : std::string("the player is not on the bus");
    }
    const QDBusMessage reply = callOn(m_connection, chosen.instance->busName, text(kPathName), text(kPlayerInterface),
                                      methodOf(command), {}, m_options.callTimeout);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        return failureMessage(QDBusError(reply));
    }
    return std::nullopt;
}

void MprisBridge::observe(std::function<void()> handler) {
    stopObserving();
    auto* observer =
        new detail::MprisObserver(m_descriptor, m_connection, std::move(handler), m_options.identityTimeout);
    const std::lock_guard lock(m_observerMutex);
    m_observer = observer;
}

void MprisBridge::stopObserving() {
    detail::MprisObserver* observer = nullptr;
    {
        const std::lock_guard lock(m_observerMutex);
        observer = std::exchange(m_observer, nullptr);
    }
    if (observer == nullptr) {
        return;
    }
    observer->silence();
    if (observer->thread() == QThread::currentThread()) {
        delete observer;
    } else {
        observer->deleteLater();
    }
}

namespace detail {

MprisObserver::MprisObserver(const PlayerDescriptor& descriptor, QDBusConnection connection,
                             std::function<void()> handler, std::chrono::milliseconds identityTimeout)
    : m_descriptor(descriptor)
    , m_connection(std::move(connection))
    , m_identityTimeout(identityTimeout)
    , m_handler(std::move(handler)) {
    // Subscribe first, then learn who owns which name: a change in between is not lost, because the
    // owners are known before this constructor returns to the event loop that delivers it.
    m_connection.connect(QString(), text(MprisBridge::kPathName), kPropertiesInterface,
                         QStringLiteral("PropertiesChanged"), this, SLOT(onPropertiesChanged(QDBusMessage)));
    // The pattern takes no trailing dot: "org.mpris.MediaPlayer2.*" would match nothing.
    m_watcher = new QDBusServiceWatcher(QStringLiteral("org.mpris.MediaPlayer2*"), m_connection,
                                        QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, &MprisObserver::onOwnerChanged);

    const QStringList names = mprisNames(m_connection);
    for (const QString& name : names) {
        if (MprisBridge::isOwnBusName(m_descriptor, name)) {
            m_owners.insert(name, ownerOf(m_connection, name));
        } else {
            confirmByIdentity(name, ownerOf(m_connection, name));
        }
    }
}

MprisObserver::~MprisObserver() {
    m_connection.disconnect(QString(), text(MprisBridge::kPathName), kPropertiesInterface,
                            QStringLiteral("PropertiesChanged"), this, SLOT(onPropertiesChanged(QDBusMessage)));
}

void MprisObserver::silence() {
    const std::lock_guard lock(m_handlerMutex);
    m_handler = nullptr;
}

void MprisObserver::notify() {
    std::function<void()> handler;
    {
        const std::lock_guard lock(m_handlerMutex);
        handler = m_handler;
    }
    if (handler) {
        handler();
    }
}

void MprisObserver::onPropertiesChanged(const QDBusMessage& message) {
    const QString sender = message.service();
    for (auto it = m_owners.cbegin(); it != m_owners.cend(); ++it) {
        if (!sender.isEmpty() && it.value() == sender) {
            notify();
            return;
        }
    }
}

void MprisObserver::onOwnerChanged(const QString& busName, const QString& /*oldOwner*/, const QString& newOwner) {
    if (MprisBridge::isOwnBusName(m_descriptor, busName)) {
        if (newOwner.isEmpty()) {
            m_owners.remove(busName);
        } else {
            m_owners.insert(busName, newOwner);
        }
        notify();
        return;
    }
    if (m_owners.contains(busName)) {
        // A player confirmed by its Identity quit or changed hands: forget it, ask the new owner again.
        m_owners.remove(busName);
        notify();
    }
    if (!newOwner.isEmpty()) {
        confirmByIdentity(busName, newOwner);
    }
}

void MprisObserver::confirmByIdentity(const QString& busName, const QString& owner) {
    if (m_descriptor.identityWords.empty() || owner.isEmpty()) {
        return;
    }
    for (const PlayerSourceID other : PlayerSourceID::allCases()) {
        if (other != m_descriptor.id && MprisBridge::isOwnBusName(PlayerDescriptor::of(other), busName)) {
            return;
        }
    }
    // Asked without blocking: this runs on the main thread, and the player may be slow.
    QDBusMessage message = QDBusMessage::createMethodCall(busName, text(MprisBridge::kPathName), kPropertiesInterface,
                                                          QStringLiteral("GetAll"));
    message.setArguments({text(MprisBridge::kRootInterface)});
    auto* watcher =
        new QDBusPendingCallWatcher(m_connection.asyncCall(message, static_cast<int>(m_identityTimeout.count())), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, busName, owner](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        const QDBusMessage reply = call->reply();
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            return;
        }
        const QVariantMap root = asMap(reply.arguments().constFirst()).value_or(QVariantMap());
        if (MprisBridge::identityNames(m_descriptor, asText(root.value(QStringLiteral("Identity"))).value_or(QString()),
                                       asText(root.value(QStringLiteral("DesktopEntry"))).value_or(QString()))) {
            m_owners.insert(busName, owner);
            notify();
        }
    });
}

} // namespace detail
} // namespace nimbrel
