#include "app/sources/source_coordinator.h"

#include <condition_variable>
#include <cstdio>
#include <optional>

#include "app/log/app_log.h"
#include "app/sources/mpris_bridge.h"
#include "app/sources/scripted_player_source.h"
#include "core/nowplaying/now_playing_arbiter.h"

namespace nimbrel {
namespace {

/// One timed read's answer, shared by the reading thread and the waiting caller; whichever lets go last
/// frees it, so a read that answers after the caller gave up writes into a box nobody reads.
struct ResultBox {
    std::mutex mutex;
    std::condition_variable ready;
    std::optional<NowPlaying> stored;
};

} // namespace

SourceCoordinator::SourceCoordinator(std::vector<std::shared_ptr<NowPlayingSource>> sources, Options options)
    : m_sources(std::move(sources))
    , m_readTimeout(options.readTimeout)
    , m_pool(options.pool ? std::move(options.pool) : std::make_shared<ReadingPool>()) {}

std::unique_ptr<SourceCoordinator> SourceCoordinator::forPlayers(const std::vector<PlayerSourceID>& sources,
                                                                 const QDBusConnection& connection, Options options) {
    std::vector<std::shared_ptr<NowPlayingSource>> built;
    built.reserve(sources.size());
    for (const PlayerSourceID player : sources) {
        const PlayerDescriptor& descriptor = PlayerDescriptor::of(player);
        built.push_back(
            std::make_shared<ScriptedPlayerSource>(descriptor, std::make_unique<MprisBridge>(descriptor, connection)));
    }
    return std::make_unique<SourceCoordinator>(std::move(built), std::move(options));
}

PlayerSourceID SourceCoordinator::id() const {
    return m_sources.empty() ? PlayerSourceID::spotify : m_sources.front()->id();
}

std::string SourceCoordinator::notRespondingDetail(std::string_view displayName) {
    return std::string(displayName) +
           " isn’t responding. It may be busy or stuck — quitting and reopening it usually clears this.";
}

std::string SourceCoordinator::secondsText(std::chrono::milliseconds duration) {
    const long long ms = duration.count();
    char buffer[32];
    if (ms % 100 == 0) {
        std::snprintf(buffer, sizeof buffer, "%lld.%lld", ms / 1000, (ms % 1000) / 100);
    } else if (ms % 10 == 0) {
        std::snprintf(buffer, sizeof buffer, "%lld.%02lld", ms / 1000, (ms % 1000) / 10);
    } else {
        std::snprintf(buffer, sizeof buffer, "%lld.%03lld", ms / 1000, ms % 1000);
    }
    return buffer;
}

NowPlaying SourceCoordinator::timedRead(const std::shared_ptr<NowPlayingSource>& source) const {
    auto box = std::make_shared<ResultBox>();
    // The job keeps the source alive: a read that outlives its caller (or this coordinator) ends normally.
    m_pool->submit([box, source] {
        NowPlaying reading = source->read();
        const std::lock_guard lock(box->mutex);
        box->stored = std::move(reading);
        box->ready.notify_one();
    });
    std::unique_lock lock(box->mutex);
    if (!box->ready.wait_for(lock, m_readTimeout, [&] { return box->stored.has_value(); })) {
        const std::string_view name = source->id().displayName();
        log("SourceCoordinator: " + std::string(name) + " read timed out after " + secondsText(m_readTimeout) + "s",
            LogLevel::error);
        return NowPlaying::error(notRespondingDetail(name));
    }
    return std::move(*box->stored);
}

NowPlaying SourceCoordinator::read() {
    if (m_sources.empty()) {
        return NowPlaying::error(std::string(kNoSourcesDetail));
    }
    std::vector<NowPlaying> readings;
    std::shared_ptr<NowPlayingSource> playing;
    std::shared_ptr<NowPlayingSource> fallback;
    for (const auto& source : m_sources) {
        readings.push_back(timedRead(source));
        if (readings.back().isPlaying()) {
            playing = source;
            break;
        }
        if (readings.back().isNotPlaying() && !fallback) {
            fallback = source;
        }
    }
    {
        const std::lock_guard lock(m_mutex);
        m_activeSource = playing ? playing : fallback;
    }
    return NowPlayingArbiter::pick(readings);
}

std::vector<SourceCoordinator::PlayerReading> SourceCoordinator::readAll() {
    std::vector<PlayerReading> readings;
    readings.reserve(m_sources.size());
    for (const auto& source : m_sources) {
        readings.emplace_back(source->id(), timedRead(source));
    }
    return readings;
}

void SourceCoordinator::startObserving(ChangeHandler handler) {
    for (const auto& source : m_sources) {
        source->startObserving(handler);
    }
}

void SourceCoordinator::stopObserving() {
    for (const auto& source : m_sources) {
        source->stopObserving();
    }
}

std::shared_ptr<NowPlayingSource> SourceCoordinator::active() const {
    const std::lock_guard lock(m_mutex);
    return m_activeSource;
}

std::optional<PlayerSourceID> SourceCoordinator::activePlayer() const {
    const std::shared_ptr<NowPlayingSource> source = active();
    return source ? std::optional(source->id()) : std::nullopt;
}

std::optional<Artwork> SourceCoordinator::artwork() {
    // The chosen source is asked outside the lock: it may take as long as the player does.
    const std::shared_ptr<NowPlayingSource> source = active();
    return source ? source->artwork() : std::nullopt;
}

void SourceCoordinator::perform(PlayerCommand command) {
    if (const std::shared_ptr<NowPlayingSource> source = active()) {
        source->perform(command);
    }
}

} // namespace nimbrel
