#pragma once

#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "app/sources/artwork.h"
#include "app/sources/player_command.h"
#include "core/nowplaying/now_playing.h"
#include "core/nowplaying/player_source_id.h"

namespace nimbrel {

/// A reader of what a player is playing: one player's source, or the coordinator of several.
class NowPlayingSource {
public:
    /// Called on the main thread after a player's state changed, or a player started or quit.
    using ChangeHandler = std::function<void()>;

    virtual ~NowPlayingSource() = default;

    /// Which player (the coordinator: its first one).
    virtual PlayerSourceID id() const = 0;
    /// Reads the player's state; blocks until it answers. Never fails: problems become readings.
    virtual NowPlaying read() = 0;
    /// Starts calling `handler` on each change; call on the main thread, before the first read, so that no
    /// change between the two is missed. Starting again replaces the handler (one subscription).
    virtual void startObserving(ChangeHandler handler) = 0;
    /// Stops that.
    virtual void stopObserving() = 0;
    /// The current track's cover, if obtainable; blocks.
    virtual std::optional<Artwork> artwork() = 0;
    /// Sends a transport command; does nothing when the player is not running; blocks.
    virtual void perform(PlayerCommand command) = 0;
    /// Every player's reading, in order, without choosing one (the Sources settings show them); blocks.
    virtual std::vector<std::pair<PlayerSourceID, NowPlaying>> readAll() { return {{id(), read()}}; }
};

} // namespace nimbrel
