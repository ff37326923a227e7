#include "app/sources/player_descriptor.h"

namespace nimbrel {

const PlayerDescriptor& PlayerDescriptor::of(PlayerSourceID id) noexcept {
    static const PlayerDescriptor spotify{PlayerSourceID::spotify, {"spotify"}, {}};
    // No official Apple Music client exists for Linux; these are the third-party ones and what they call
    // themselves.
    static const PlayerDescriptor appleMusic{
        PlayerSourceID::appleMusic, {"cider", "cider2", "AppleMusic"}, {"apple music", "cider"}};
    return id == PlayerSourceID::spotify ? spotify : appleMusic;
}

} // namespace nimbrel
