#pragma once

#include <optional>
#include <string>
#include <vector>

namespace nimbrel {

/// What the playing track would give under the editor's state: the vibe that matches and why, the status
/// line and the theme behind it. Empty (no artist) when nothing plays.
struct PreviewResult {
    std::string artist;
    std::string track;
    /// The genres the engine found for the artist, in its order.
    std::vector<std::string> genres;
    /// Empty when nothing matched and there is no default vibe.
    std::string vibeName;
    /// The keyword that matched; none when the default vibe was used.
    std::optional<std::string> hit;
    std::string status;
    /// The vibe's emoji as stored.
    std::string emoji;
    std::string themeName;
    /// Whether the vibe's own theme applies rather than the default one.
    bool themeIsOverride = false;

    friend bool operator==(const PreviewResult&, const PreviewResult&) = default;
};

} // namespace nimbrel
