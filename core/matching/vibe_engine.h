#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/vibe_config.h"
#include "core/matching/genre_tag.h"
#include "core/matching/vibe_resolution.h"
#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// Decides which vibe a track belongs to: the first vibe, in list order, whose keyword appears in the
/// artist's genres, else the first whose keyword appears in the artist's name, else the default vibe.
/// Keywords match as case-insensitive substrings; an empty keyword matches nothing.
struct NIMBREL_CORE_EXPORT VibeEngine final {
    VibeEngine() = delete;

    /// The full rule. When any tag carries a weight the genres vote, weighted, instead of the first match.
    /// None only when nothing matched and there is no default vibe.
    static std::optional<VibeResolution> resolve(const VibeConfig& config, const std::vector<GenreTag>& tags,
                                                 std::string_view artistName);
    /// The full rule over genre names without weights, in the order given.
    static std::optional<VibeResolution> resolve(const VibeConfig& config, const std::vector<std::string>& genres,
                                                 std::string_view artistName);
    /// Where a single genre lands: the first vibe matching it, else the default vibe, else none.
    static std::optional<VibeResolution> vibe(std::string_view forGenre, const VibeConfig& config);
};

} // namespace nimbrel
