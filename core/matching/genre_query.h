#pragma once

#include <optional>
#include <string>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// What to look up in a genre catalogue: an artist and, optionally, one of their tracks.
struct NIMBREL_CORE_EXPORT GenreQuery {
    /// As reported by the player.
    std::string artist;
    /// As reported by the player, or absent.
    std::optional<std::string> track;

    friend bool operator==(const GenreQuery&, const GenreQuery&) = default;

    /// The track cleaned for a search; absent without a track or when nothing is left after cleaning.
    std::optional<std::string> lookupTrack() const;
};

} // namespace nimbrel
