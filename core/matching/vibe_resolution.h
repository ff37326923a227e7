#pragma once

#include <optional>
#include <string>

#include "core/config/vibe.h"
#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// The vibe a track belongs to, and why.
struct NIMBREL_CORE_EXPORT VibeResolution {
    /// A full copy of the chosen vibe.
    Vibe vibe;
    /// The keyword as the user wrote it when a genre matched; "name:" and the keyword when the artist's
    /// name matched; absent when the default vibe was used.
    std::optional<std::string> hit;

    friend bool operator==(const VibeResolution&, const VibeResolution&) = default;

    /// The prefix of a hit that came from the artist's name.
    static constexpr std::string_view kArtistNameHitPrefix = "name:";
};

} // namespace nimbrel
