#pragma once

#include <string_view>

namespace nimbrel::detail {

// The keys of config.json, shared by its decoder and by the sentences that report on it.
inline constexpr std::string_view kSlackAccountsKey = "slack_accounts";
inline constexpr std::string_view kWhenMusicStopsKey = "when_music_stops";
inline constexpr std::string_view kStatusFormatKey = "status_format";
inline constexpr std::string_view kThemeKey = "theme";
inline constexpr std::string_view kCustomThemesKey = "custom_themes";
inline constexpr std::string_view kPollSecondsKey = "poll_seconds";
inline constexpr std::string_view kAnimateMenuBarKey = "animate_menu_bar";
inline constexpr std::string_view kSourcesKey = "sources";
inline constexpr std::string_view kDefaultVibeKey = "default_vibe";
inline constexpr std::string_view kVibesKey = "vibes";
// Keys of an older layout: read only to seed the defaults of their successors, never written.
inline constexpr std::string_view kClearWhenPausedKey = "clear_when_paused";
inline constexpr std::string_view kAppendArtistKey = "append_artist";

/// The key that took over from a key of the older layout; empty for any other key.
constexpr std::string_view successorOfLegacyKey(std::string_view legacyKey) noexcept {
    if (legacyKey == kClearWhenPausedKey) {
        return kWhenMusicStopsKey;
    }
    if (legacyKey == kAppendArtistKey) {
        return kStatusFormatKey;
    }
    return {};
}

} // namespace nimbrel::detail
