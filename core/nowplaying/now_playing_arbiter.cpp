#include "core/nowplaying/now_playing_arbiter.h"

namespace nimbrel {

NowPlaying NowPlayingArbiter::pick(const std::vector<NowPlaying>& readings) {
    // A playing player wins wherever it is listed; a player that cannot be read outranks one that is
    // merely paused, so the user hears about the problem.
    const NowPlaying* firstError = nullptr;
    const NowPlaying* firstNotPlaying = nullptr;
    for (const NowPlaying& reading : readings) {
        if (reading.isPlaying()) {
            return reading;
        }
        if (reading.isError() && firstError == nullptr) {
            firstError = &reading;
        } else if (reading.isNotPlaying() && firstNotPlaying == nullptr) {
            firstNotPlaying = &reading;
        }
    }
    if (firstError != nullptr) {
        return *firstError;
    }
    if (firstNotPlaying != nullptr) {
        return *firstNotPlaying;
    }
    return NowPlaying::notRunning();
}

} // namespace nimbrel
