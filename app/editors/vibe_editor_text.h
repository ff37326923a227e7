#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nimbrel {

/// The vibe editor window's own words, and those of its vibe and default-vibe screens. Shortcuts are
/// written the way this desktop shows them.
struct VibeEditorText final {
    VibeEditorText() = delete;

    static constexpr std::string_view kWindowTitle = "Vibes";
    static constexpr std::string_view kNothingSelectedTitle = "Select a vibe";
    static constexpr std::string_view kNothingSelectedText =
        "Choose a vibe from the sidebar, or add a new one with Ctrl+N.";
    static constexpr std::string_view kAddMenu = "Add";
    static constexpr std::string_view kAddMenuToolTip = "Add a vibe (Ctrl+N) or a theme (Ctrl+Shift+N)";
    static constexpr std::string_view kNewVibe = "New Vibe";
    static constexpr std::string_view kNewTheme = "New Theme";
    static constexpr std::string_view kLivePreview = "Live Preview";
    static constexpr std::string_view kShowPreview = "Show the live preview";
    static constexpr std::string_view kHidePreview = "Hide the live preview";

    static constexpr std::string_view kResetButton = "Reset Vibes to Defaults\u2026";
    static constexpr std::string_view kResetTitle = "Reset vibes to the Nimbrel defaults?";
    static constexpr std::string_view kResetMessage =
        "Your vibes and the default vibe will be replaced with the ones Nimbrel ships with, including any per-vibe "
        "theme they\u2019re using. Your themes, formatting, and Slack connection aren\u2019t affected. You can undo "
        "this with Ctrl+Z.";
    static constexpr std::string_view kResetConfirm = "Reset Vibes";
    static constexpr std::string_view kCancel = "Cancel";
    static constexpr std::string_view kResetFailed = "Couldn\u2019t read the built-in vibes.";

    // The vibe screen.
    static constexpr std::string_view kName = "Name";
    static constexpr std::string_view kNamePlaceholder = "e.g. heavy";
    static constexpr std::string_view kStatusText = "Status text";
    static constexpr std::string_view kStatusTextPlaceholder = "e.g. In the zone";
    static constexpr std::string_view kSlackEmoji = "Slack emoji";
    static constexpr std::string_view kEmojiHelp =
        "The Slack emoji goes on your status, and shows next to this vibe in the Nimbrel menu. Devo, on the "
        "island, is the same for every vibe.";
    static constexpr std::string_view kKeywords = "Match keywords";
    static constexpr std::string_view kKeywordsPlaceholder = "e.g. metal, or drum and bass";
    static constexpr std::string_view kKeywordsHelp =
        "If any of these appear in the artist\u2019s genre (or the artist name), this vibe wins \u2014 provided "
        "no vibe above it matched first. Type to see matching genres; Return or a comma adds one.";
    static constexpr std::string_view kTheme = "Theme";
    static constexpr std::string_view kFollowsFormatting = "Follows the theme on the Formatting screen.";
    static constexpr std::string_view kDeleteVibe = "Delete this vibe";
    static constexpr std::string_view kMatchingNoKeyword = "Currently matching what\u2019s playing.";
    /// The vibe is gone (deleted, or undone away) while the screen still points at it.
    static constexpr std::string_view kVibeNotFound = "Vibe not found";

    // The default vibe screen.
    static constexpr std::string_view kUseDefaultVibe = "Use a default vibe when nothing matches";
    static constexpr std::string_view kUseDefaultVibeNote =
        "Without a default, tracks that don\u2019t match any vibe leave your status unchanged.";
    static constexpr std::string_view kDefaultNamePlaceholder = "e.g. listening";
    static constexpr std::string_view kDefaultStatusTextPlaceholder = "e.g. Vibing";

    /// "Currently matching what’s playing, via “lofi”." or, matched without a keyword, the plain line.
    static std::string matchingLine(const std::optional<std::string>& hit) {
        if (!hit) {
            return std::string(kMatchingNoKeyword);
        }
        return "Currently matching what\u2019s playing, via \u201c" + *hit + "\u201d.";
    }
};

} // namespace nimbrel
