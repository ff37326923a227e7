#include "core/nowplaying/now_playing.h"

#include <utility>

namespace nimbrel {

NowPlaying NowPlaying::playing(std::string artist, std::string track) {
    return NowPlaying(Playing{std::move(artist), std::move(track)});
}

NowPlaying NowPlaying::notPlaying(std::string state, std::string artist, std::string track) {
    return NowPlaying(NotPlaying{std::move(state), std::move(artist), std::move(track)});
}

NowPlaying NowPlaying::error(std::string detail) {
    return NowPlaying(Error{std::move(detail)});
}

NowPlaying NowPlaying::notRunning() {
    return NowPlaying(NotRunning{});
}

} // namespace nimbrel
