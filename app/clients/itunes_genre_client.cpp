#include "app/clients/itunes_genre_client.h"

#include <QCoreApplication>

#include "app/log/app_log.h"
#include "app/log/log_sink.h"
#include "app/settings/user_defaults.h"
#include "app/storage/genre_cache_store.h"
#include "core/genres/itunes_search.h"
#include "core/ownership/rate_limit_window.h"
#include "core/text/whitespace.h"
#include "core/url/url.h"

namespace nimbrel {
namespace {

std::vector<GenreTag> oneTag(std::string name) {
    return {GenreTag{std::move(name), std::nullopt}};
}

} // namespace

struct ITunesGenreClient::State {
    std::shared_ptr<Timers> timers;
    std::shared_ptr<HttpSession> session;
    // The cache file, whose lines go to the app log; none keeps the cache in memory only.
    std::optional<GenreCacheStore> store;
    std::optional<Url> base;
    QByteArray userAgent;
    GenreCache cache;
    RateLimitWindow budget{ITunesSearch::requestsPerMinute, 60.0};
    std::unique_ptr<TimerHandle> pendingSave;
    // Set when the client is gone: a lookup still in flight then records its answer but schedules no save.
    bool closed = false;
};

ITunesGenreClient::ITunesGenreClient(Options options)
    : m_state(std::make_shared<State>()) {
    State& state = *m_state;
    state.timers = options.timers ? std::move(options.timers) : std::make_shared<SystemTimers>();
    state.session = options.session ? std::move(options.session)
                                    : std::make_shared<HttpSession>(HttpSession::iTunesOptions(), state.timers);
    if (options.cacheFolder) {
        state.store.emplace(std::move(*options.cacheFolder), appLogSink());
        state.cache = state.store->load().cache;
    }
    const QUrl base = options.baseURL.value_or(baseURL());
    state.base = Url::parse(base.toString(QUrl::FullyEncoded).toStdString());
    QString version = options.version;
    if (version.isEmpty()) {
        version = QCoreApplication::applicationVersion();
    }
    state.userAgent = userAgent(version);
}

ITunesGenreClient::~ITunesGenreClient() {
    m_state->closed = true;
    m_state->pendingSave.reset();
}

QUrl ITunesGenreClient::baseURL() {
    return UserDefaults::httpAddress(UserDefaults::kITunesBaseURL)
        .value_or(QUrl(QString::fromUtf8(ITunesSearch::kDefaultBaseAddress.data(),
                                         static_cast<qsizetype>(ITunesSearch::kDefaultBaseAddress.size()))));
}

QByteArray ITunesGenreClient::userAgent(const QString& version) {
    const QString shown = version.trimmed().isEmpty() ? QStringLiteral("0") : version.trimmed();
    return "Nimbrel/" + shown.toUtf8() + " (Linux; +" + QByteArray(kProjectPage) + ")";
}

const GenreCache& ITunesGenreClient::cache() const {
    return m_state->cache;
}

std::vector<std::string> ITunesGenreClient::observedGenres() const {
    return m_state->cache.observedGenres();
}

QCoro::Task<std::vector<GenreTag>> ITunesGenreClient::genres(std::string artist) {
    return lookup(m_state, std::move(artist));
}

QCoro::Task<std::vector<GenreTag>> ITunesGenreClient::lookup(std::shared_ptr<State> state, std::string name) {
    const std::string artist(Whitespace::trimmed(name));
    if (artist.empty()) {
        co_return std::vector<GenreTag>{};
    }
    const GenreCache::Lookup known = state->cache.lookup(artist, state->timers->now());
    if (const auto* hit = known.as<GenreCache::Lookup::Genre>()) {
        co_return oneTag(hit->name);
    }
    if (known.as<GenreCache::Lookup::None>() != nullptr) {
        co_return std::vector<GenreTag>{};
    }
    // The slot is taken before asking, so a search that then fails still counts against the budget.
    if (!state->budget.reserve(state->timers->now())) {
        log(std::string(kBudgetSpentPrefix) + artist, LogLevel::debug);
        co_return std::vector<GenreTag>{};
    }
    const std::optional<Url> address =
        state->base ? ITunesSearch::searchURL(artist, ITunesSearch::resultLimit, *state->base) : std::nullopt;
    if (!address) {
        co_return std::vector<GenreTag>{};
    }
    HttpRequest request;
    request.url = QUrl(QString::fromStdString(address->text()), QUrl::StrictMode);
    request.headers.emplace_back("User-Agent", state->userAgent);

    const Outcome<HttpResponse, TransportError> sent = co_await state->session->send(std::move(request));
    if (!sent) {
        if (sent.error().kind != TransportError::Kind::notHttp) {
            log(std::string(kLookupFailedPrefix) + artist + " \u2014 " + sent.error().description, LogLevel::error);
        }
        co_return std::vector<GenreTag>{};
    }
    const HttpResponse& response = sent.value();
    if (response.status < 200 || response.status > 299) {
        log(std::string(kHttpStatusPrefix) + std::to_string(response.status) + " for " + artist, LogLevel::error);
        co_return std::vector<GenreTag>{};
    }
    std::optional<std::string> genre = ITunesSearch::genre(
        std::string_view(response.body.constData(), static_cast<std::size_t>(response.body.size())), artist);
    state->cache.record(genre, artist, state->timers->now());
    scheduleSave(state);
    if (!genre) {
        log(std::string(kNoMatchPrefix) + artist, LogLevel::debug);
        co_return std::vector<GenreTag>{};
    }
    co_return oneTag(std::move(*genre));
}

void ITunesGenreClient::scheduleSave(const std::shared_ptr<State>& state) {
    if (state->closed) {
        return;
    }
    // Replacing the handle cancels the save before it: one write, 5 seconds after the last change.
    state->pendingSave = state->timers->start(std::chrono::duration_cast<std::chrono::milliseconds>(kSaveDelay),
                                              TimerPurpose::delayedSave, [weak = std::weak_ptr<State>(state)] {
                                                  const std::shared_ptr<State> alive = weak.lock();
                                                  if (!alive || alive->closed || !alive->store) {
                                                      return;
                                                  }
                                                  alive->store->save(alive->cache, alive->timers->now());
                                              });
}

} // namespace nimbrel
