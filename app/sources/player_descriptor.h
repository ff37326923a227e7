#pragma once

#include <string_view>
#include <vector>

#include "core/nowplaying/player_source_id.h"

namespace nimbrel {

/// The fixed description of a supported player: how it is found on the session bus.
struct PlayerDescriptor {
    PlayerSourceID id;
    /// The MPRIS bus-name suffixes that are this player without further questions
    /// ("spotify" is org.mpris.MediaPlayer2.spotify and its ….spotify.instance<N> siblings).
    std::vector<std::string_view> busNames;
    /// Lower-case words that, found in an MPRIS player's Identity or DesktopEntry, make any other MPRIS
    /// player this one (a web client in a browser, a renamed build). Empty: known bus names only.
    std::vector<std::string_view> identityWords;

    std::string_view displayName() const noexcept { return id.displayName(); }

    /// The descriptor of `id`; built once, shared.
    static const PlayerDescriptor& of(PlayerSourceID id) noexcept;
};

} // namespace nimbrel
