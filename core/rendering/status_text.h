#pragma once

#include <string>
#include <string_view>

#include "core/nimbrel_core_export.h"
#include "core/text/graphemes.h"

namespace nimbrel {

struct Vibe;
struct VibeConfig;

/// Status lines and Slack's length limit. Lengths count characters (extended grapheme clusters).
struct NIMBREL_CORE_EXPORT StatusText final {
    StatusText() = delete;

    /// The most characters a Slack status text may have.
    static constexpr int slackLimit = 100;
    /// The one mark of shortening, counted as one character.
    static constexpr std::string_view kEllipsis = Graphemes::kEllipsis;

    /// The text when it has at most `limit` characters; empty when `limit` is below 1; otherwise its
    /// first `limit` - 1 characters followed by "…".
    static std::string clamp(std::string_view text, int limit);

    /// The four placeholders a template may use; any other text in braces stays as written.
    static constexpr std::string_view kVibePlaceholder = "{vibe}";
    static constexpr std::string_view kArtistPlaceholder = "{artist}";
    static constexpr std::string_view kTrackPlaceholder = "{track}";
    static constexpr std::string_view kEmojiPlaceholder = "{emoji}";

    /// The status for a track: the vibe's template filled in, the track title shortened first when the
    /// line is too long, then decorated with the vibe's theme. At most `slackLimit` characters; never fails.
    static std::string render(const VibeConfig& config, const Vibe& vibe, std::string_view artist,
                              std::string_view track);
    /// The template with "{vibe}", "{artist}", "{track}" and "{emoji}" replaced in that order, each step
    /// working on the result of the one before.
    static std::string filled(std::string_view templateText, const Vibe& vibe, std::string_view artist,
                              std::string_view track);
};

} // namespace nimbrel
