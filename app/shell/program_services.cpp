#include "app/shell/program_services.h"

#include <string>
#include <utility>

#include "app/clients/api_endpoint.h"
#include "app/clients/itunes_genre_client.h"
#include "app/clients/slack_client.h"
#include "app/engine/dbus_screen_sleep_watcher.h"
#include "app/sources/source_coordinator.h"

namespace nimbrel {
namespace {

// Slack's calls are retried a few times within one request before the engine sees a failure.
constexpr int kSlackAttempts = 3;

// Covers are larger than Slack's answers; 8 MiB bounds a hostile address without refusing real art.
HttpSession::Options artworkOptions() {
    HttpSession::Options options = HttpSession::iTunesOptions();
    options.maxBodyBytes = 8 << 20;
    return options;
}

} // namespace

ProgramServices::ProgramServices(AppFolder folder, Options options)
    : m_folder(std::move(folder))
    , m_options(options)
    , m_timers(std::make_shared<SystemTimers>())
    , m_playerQueue(std::make_shared<SerialQueue>(std::string(SourceCoordinator::kDriverQueueLabel)))
    , m_readingPool(std::make_shared<ReadingPool>())
    , m_slackSession(std::make_shared<HttpSession>(HttpSession::slackOptions(), m_timers)) {
    m_folder.open();
}

ProgramServices::~ProgramServices() = default;

EngineViewModel::Parts ProgramServices::engineParts() {
    EngineViewModel::Parts parts;
    parts.timers = m_timers;
    parts.folder = m_folder;
    parts.playerQueue = m_playerQueue;
    parts.makeSource = [pool = m_readingPool](const std::vector<PlayerSourceID>& sources) {
        return std::shared_ptr<NowPlayingSource>(
            SourceCoordinator::forPlayers(sources, QDBusConnection::sessionBus(), {.pool = pool}));
    };
    ITunesGenreClient::Options genreOptions;
    genreOptions.timers = m_timers;
    genreOptions.cacheFolder = m_folder;
    parts.genres = std::make_unique<ITunesGenreClient>(std::move(genreOptions));
    parts.readToken = [this](std::string teamID) {
        return m_tokenStore.read(std::move(teamID));
    };
    parts.makeClient = [session = m_slackSession](const std::string& token) {
        return std::make_shared<const SlackClient>(token, session, kSlackAttempts);
    };
    // Connecting: claims go through Slack's session (the sign-in service is a web service like Slack's API),
    // and the token lands in the same keyring the runtimes read from.
    parts.signInBase = APIEndpoint::baseURL();
    parts.signInSession = m_slackSession;
    parts.writeToken = [this](SecretText token, std::string teamID) {
        return m_tokenStore.write(std::move(token), std::move(teamID));
    };
    parts.deleteToken = [this](std::string teamID) {
        return m_tokenStore.deleteToken(std::move(teamID));
    };
    if (m_options.watchesScreens) {
        parts.sleepWatcher =
            std::make_unique<DBusScreenSleepWatcher>(QDBusConnection::sessionBus(), QDBusConnection::systemBus());
    }
    if (m_options.downloadsArtwork) {
        parts.artworkSession = std::make_shared<HttpSession>(artworkOptions(), m_timers);
    }
    return parts;
}

} // namespace nimbrel
