#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "core/config/config_notice.h"
#include "core/config/vibe.h"
#include "core/config/when_music_stops.h"
#include "core/nimbrel_core_export.h"
#include "core/nowplaying/player_source_id.h"
#include "core/slack/slack_account.h"
#include "core/theme/status_theme.h"

namespace nimbrel {

/// Everything the user configures: the document config.json in memory. A plain value; the editors change
/// copies and hand whole values back. A default-constructed value is the configuration used when not even
/// the built-in document can be read.
struct NIMBREL_CORE_EXPORT VibeConfig {
    /// The template used when no theme brings its own.
    static constexpr std::string_view defaultStatusFormat = "{vibe}";
    /// What an older layout's "append_artist": true stood for.
    static constexpr std::string_view legacyAppendArtistFormat = "{vibe} \u00B7 {artist}";
    /// The players read when the document names none: Spotify first.
    static constexpr std::array<PlayerSourceID, 2> defaultSources = {PlayerSourceID::spotify,
                                                                     PlayerSourceID::appleMusic};
    /// The id of the theme used when the document names no known theme.
    static constexpr std::string_view plainThemeID = "plain";
    /// The safety-net poll interval when the document sets none, in seconds.
    static constexpr std::int64_t defaultPollSeconds = 120;

    /// The connected workspaces (records only; tokens live in the secret store).
    std::vector<SlackAccount> slackAccounts;
    WhenMusicStops whenMusicStops = WhenMusicStops::restore;
    /// The default template; a theme with a template of its own overrides it.
    std::string statusFormat{defaultStatusFormat};
    /// The default theme, built-in or custom. Always names an existing theme after decoding.
    std::string themeID{plainThemeID};
    /// Themes the user made; built-in themes are never stored here.
    std::vector<StatusTheme> customThemes;
    /// The safety-net poll interval in seconds. Not range-checked here; the settings screen offers 30 to 600.
    std::int64_t pollSeconds = defaultPollSeconds;
    /// Whether the tray cat animates while music plays.
    bool animateMenuBar = true;
    /// The players to read, in priority order; may be empty.
    std::vector<PlayerSourceID> sources{defaultSources.begin(), defaultSources.end()};
    /// The vibe used when no vibe matches.
    std::optional<Vibe> defaultVibe;
    /// The vibes; their order is the matching priority.
    std::vector<Vibe> vibes;

    friend bool operator==(const VibeConfig&, const VibeConfig&) = default;

    /// Decodes a document. Absent keys take their defaults and dangling theme ids are dropped, but a value
    /// of the wrong type or a vibe lacking a required text fails the whole document: throws DecodeError
    /// with the key path, or the line and column of a syntax error.
    static VibeConfig decode(std::string_view bytes);
    /// Decodes like `decode(bytes)`, and appends to `notices` what was dropped, replaced or ignored.
    static VibeConfig decode(std::string_view bytes, std::vector<ConfigNotice>& notices);
    /// Decodes a parsed document; `notices`, when given, collects what was dropped, replaced or ignored.
    static VibeConfig fromJson(const nlohmann::json& json, std::vector<ConfigNotice>* notices = nullptr);

    /// The document as stored. The keys of the older layout are never written.
    nlohmann::json toJson() const;
    /// The document's bytes: pretty-printed with two spaces, keys sorted at every level, no final line
    /// break. Text that is not valid UTF-8 is written with U+FFFD in place of the bad bytes, so the file
    /// always reads back.
    std::string encodedData() const;

    /// The built-in themes in their fixed order, then the custom themes in stored order.
    std::vector<StatusTheme> allThemes() const;
    /// The first theme of `allThemes()` with exactly this id (so a built-in wins over a custom theme of the
    /// same id), or none.
    std::optional<StatusTheme> theme(std::string_view withID) const;
    /// The theme `themeID` names, or the plain theme.
    StatusTheme defaultTheme() const;
    /// The vibe's own theme when it has one that exists, else the default theme when it exists, else plain.
    StatusTheme resolvedTheme(const Vibe& vibe) const;
    /// The template of `resolvedTheme(vibe)` when it has one (even an empty one), else `statusFormat`.
    std::string resolvedTemplate(const Vibe& vibe) const;
};

} // namespace nimbrel
