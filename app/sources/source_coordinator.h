#pragma once

#include <QDBusConnection>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/sources/now_playing_source.h"
#include "app/sources/reading_pool.h"

namespace nimbrel {

/// The one source the engine talks to: reads the configured players in order, each within a time limit,
/// picks the reading that counts, remembers which player won (artwork and transport go there), and
/// forwards every player's changes.
///
/// `read`, `readAll`, `artwork` and `perform` block; the engine calls them on its serial driver thread
/// (see SerialQueue, labelled kDriverQueueLabel) and co_awaits the future, so the main thread never waits
/// on a player. Observing is started and stopped on the main thread.
class SourceCoordinator final : public NowPlayingSource {
public:
    /// How long one player may take to answer a read.
    static constexpr std::chrono::milliseconds kReadTimeout{5000};
    static constexpr std::string_view kDriverQueueLabel = "com.quillmoor.nimbrel.player-read-driver";
    static constexpr std::string_view kNoSourcesDetail =
        "No music sources are enabled — turn one on in Settings ▸ Sources.";

    struct Options {
        /// The time limit of one player's read (shorter in tests).
        std::chrono::milliseconds readTimeout = kReadTimeout;
        /// Where the reads run; shared by the coordinators the application builds over time. A new pool
        /// when none is given.
        std::shared_ptr<ReadingPool> pool;
    };
    /// A player and its reading, as `readAll` returns them.
    using PlayerReading = std::pair<PlayerSourceID, NowPlaying>;

    SourceCoordinator(std::vector<std::shared_ptr<NowPlayingSource>> sources, Options options);
    /// One MPRIS-reading source per entry of `sources` (a repeated entry gives a repeated source), in order.
    static std::unique_ptr<SourceCoordinator> forPlayers(const std::vector<PlayerSourceID>& sources,
                                                         const QDBusConnection& connection, Options options);

    /// The first source's player; Spotify when there are none.
    PlayerSourceID id() const override;
    /// The ordered, timed read: stops at the first playing player.
    NowPlaying read() override;
    /// Every player's timed reading, in order, without choosing one or changing the active player.
    std::vector<PlayerReading> readAll() override;
    void startObserving(ChangeHandler handler) override;
    void stopObserving() override;
    /// The active player's cover; none when no player is active.
    std::optional<Artwork> artwork() override;
    /// Sends the command to the active player; nothing when none is.
    void perform(PlayerCommand command) override;

    /// The player chosen by the latest read: the playing one, else the first running but not playing.
    std::optional<PlayerSourceID> activePlayer() const;

    /// The reading of a player that did not answer in time.
    static std::string notRespondingDetail(std::string_view displayName);
    /// A time limit as the log writes it: "5.0", "0.25".
    static std::string secondsText(std::chrono::milliseconds duration);

private:
    NowPlaying timedRead(const std::shared_ptr<NowPlayingSource>& source) const;
    std::shared_ptr<NowPlayingSource> active() const;

    const std::vector<std::shared_ptr<NowPlayingSource>> m_sources;
    const std::chrono::milliseconds m_readTimeout;
    const std::shared_ptr<ReadingPool> m_pool;
    mutable std::mutex m_mutex;
    std::shared_ptr<NowPlayingSource> m_activeSource;
};

} // namespace nimbrel
