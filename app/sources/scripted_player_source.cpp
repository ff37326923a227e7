#include "app/sources/scripted_player_source.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QUrl>
#include <utility>

#include "app/log/app_log.h"
#include "core/nowplaying/now_playing_parser.h"

namespace nimbrel {
namespace {

std::string_view verbOf(PlayerCommand command) {
    switch (command) {
    case PlayerCommand::playPause:
        return "playpause";
    case PlayerCommand::next:
        return "next track";
    case PlayerCommand::previous:
        return "previous track";
    }
    return "playpause";
}

bool onMainThread() {
    const QCoreApplication* application = QCoreApplication::instance();
    return application != nullptr && QThread::currentThread() == application->thread();
}

} // namespace

ScriptedPlayerSource::ScriptedPlayerSource(const PlayerDescriptor& descriptor, std::unique_ptr<PlayerBridge> bridge)
    : m_descriptor(descriptor)
    , m_bridge(std::move(bridge)) {}

ScriptedPlayerSource::~ScriptedPlayerSource() {
    stopObserving();
}

std::string ScriptedPlayerSource::permissionDetail(std::string_view displayName) {
    // There is no Automation consent on Linux: access to a player is refused by the bus policy or by a
    // sandbox (Flatpak, Snap), and that is where the user allows it.
    return "Allow Nimbrel to control " + std::string(displayName) +
           " — the session bus refused access; if Nimbrel or the player runs in a sandbox (Flatpak, Snap), "
           "allow it to talk to org.mpris.MediaPlayer2.* in its permissions.";
}

std::string ScriptedPlayerSource::notBuiltDetail(std::string_view displayName) {
    return "Could not build the " + std::string(displayName) + " query.";
}

std::string ScriptedPlayerSource::cannotReadDetail(std::string_view displayName, std::string_view message) {
    return "Can't read " + std::string(displayName) + ": " + std::string(message);
}

NowPlaying ScriptedPlayerSource::read() {
    const std::string name(m_descriptor.displayName());
    const std::string language(m_bridge->language());
    log(name + ": begin (thread=" + (onMainThread() ? "main" : "bg") + ")", LogLevel::debug);
    if (!m_bridge->isRunning()) {
        log(name + ": not running", LogLevel::debug);
        return NowPlaying::notRunning();
    }

    log(name + ": executing " + language + "…", LogLevel::debug);
    const PlayerBridge::ReadingAnswer answer = m_bridge->runReading();
    if (std::holds_alternative<PlayerBridge::NotBuilt>(answer)) {
        return NowPlaying::error(notBuiltDetail(name));
    }
    if (const auto* failure = std::get_if<PlayerBridge::Failure>(&answer)) {
        const std::string message = failure->message.empty() ? "unknown error" : failure->message;
        log(name + ": " + language + " error " + std::to_string(failure->number) + ": " + message, LogLevel::error);
        switch (failure->number) {
        case PlayerBridge::kPermissionDenied:
        case PlayerBridge::kPermissionUnknown:
            return NowPlaying::error(permissionDetail(name));
        case PlayerBridge::kNoSuchObject:
            return NowPlaying::notPlaying("stopped", {}, {});
        default:
            return NowPlaying::error(cannotReadDetail(name, message));
        }
    }
    const std::string& text = std::get<PlayerBridge::Output>(answer).text;
    log(name + ": " + language + " output = \"" + text + "\"", LogLevel::debug);
    return NowPlayingParser::parse(text);
}

std::optional<Artwork> ScriptedPlayerSource::artwork() {
    if (!m_bridge->isRunning()) {
        return std::nullopt;
    }
    const std::optional<std::string> address = m_bridge->artworkAddress();
    if (!address) {
        return std::nullopt;
    }
    return artworkFromAddress(*address);
}

std::optional<Artwork> ScriptedPlayerSource::artworkFromAddress(std::string_view address) {
    const QUrl url(QString::fromUtf8(address.data(), static_cast<qsizetype>(address.size())), QUrl::StrictMode);
    if (!url.isValid()) {
        return std::nullopt;
    }
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("https")) {
        if (url.host() == QLatin1String("open.spotify.com") && url.path().startsWith(QLatin1String("/image/"))) {
            // Spotify's Linux client announces an address that does not serve the image; the CDN's does.
            QUrl cdn = url;
            cdn.setHost(QStringLiteral("i.scdn.co"));
            return Artwork{Artwork::Url{cdn.toString(QUrl::FullyEncoded).toStdString()}};
        }
        return Artwork{Artwork::Url{url.toString(QUrl::FullyEncoded).toStdString()}};
    }
    if (scheme == QLatin1String("file") && url.isLocalFile()) {
        // Regular files only: opening a FIFO or a device could block the reading thread indefinitely.
        if (!QFileInfo(url.toLocalFile()).isFile()) {
            return std::nullopt;
        }
        QFile file(url.toLocalFile());
        if (!file.open(QIODevice::ReadOnly)) {
            return std::nullopt;
        }
        // Read one byte past the limit instead of trusting size(): a pipe or a growing file has none.
        const QByteArray bytes = file.read(kMaxArtworkFileBytes + 1);
        if (bytes.isEmpty() || bytes.size() > kMaxArtworkFileBytes) {
            return std::nullopt;
        }
        return Artwork{Artwork::Data{std::vector<char>(bytes.begin(), bytes.end())}};
    }
    return std::nullopt;
}

void ScriptedPlayerSource::perform(PlayerCommand command) {
    if (!m_bridge->isRunning()) {
        return;
    }
    if (const std::optional<std::string> failure = m_bridge->command(command)) {
        log(std::string(m_descriptor.displayName()) + ": " + std::string(verbOf(command)) + " failed — " + *failure,
            LogLevel::debug);
    }
}

void ScriptedPlayerSource::startObserving(ChangeHandler handler) {
    const std::lock_guard lock(m_observingMutex);
    // The bridge replaces an earlier handler itself, so a second start leaves one subscription.
    m_bridge->observe(std::move(handler));
    m_observing = true;
}

void ScriptedPlayerSource::stopObserving() {
    const std::lock_guard lock(m_observingMutex);
    if (m_observing) {
        m_observing = false;
        m_bridge->stopObserving();
    }
}

} // namespace nimbrel
