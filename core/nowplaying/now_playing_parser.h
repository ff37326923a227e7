#pragma once

#include <string_view>

#include "core/nimbrel_core_export.h"
#include "core/nowplaying/now_playing.h"

namespace nimbrel {

/// Turns a player script's output ("notrunning", or state TAB artist TAB title) into a reading.
struct NIMBREL_CORE_EXPORT NowPlayingParser final {
    NowPlayingParser() = delete;

    /// The sentence of the error reading for an empty answer. On Linux a silent player is one whose
    /// MPRIS interface is off or broken, so that is what the user is asked to check.
    static constexpr std::string_view kNoResponseDetail =
        "No response from the player (check that its MPRIS support is on).";

    /// Total: every output maps to one reading.
    static NowPlaying parse(std::string_view output);
};

} // namespace nimbrel
