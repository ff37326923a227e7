#pragma once

#include <vector>

#include "core/nimbrel_core_export.h"
#include "core/nowplaying/now_playing.h"

namespace nimbrel {

/// Reduces the readings of several players (in the configured order) to the one the engine acts on.
struct NIMBREL_CORE_EXPORT NowPlayingArbiter final {
    NowPlayingArbiter() = delete;

    /// The first playing reading; else the first error; else the first not-playing; else not running.
    static NowPlaying pick(const std::vector<NowPlaying>& readings);
};

} // namespace nimbrel
