#pragma once

#include <string_view>

namespace nimbrel {

/// The made-up track the editors preview formatting against when nothing plays. Invented names, so they
/// match no real artist's genres and no likely keyword.
struct SampleTrack final {
    SampleTrack() = delete;

    static constexpr std::string_view kArtist = "The Paper Lanterns";
    static constexpr std::string_view kTitle = "Night Drive";
    /// The status text of the vibe that theme previews stand on.
    static constexpr std::string_view kVibeText = "GSD mode";
    static constexpr std::string_view kVibeEmoji = ":headphones:";
};

} // namespace nimbrel
