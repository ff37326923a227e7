#include <gtest/gtest.h>

#include "core/config/vibe_config.h"
#include "tests/support/decode_failure.h"

namespace nimbrel {
namespace {

using Sources = std::vector<PlayerSourceID>;

DecodeError decodeFailure(std::string_view text) {
    return testing::decodeFailure([&] { VibeConfig::decode(text); });
}

// Decodes a document made of the given members and returns one field of it, for table-driven cases.
template <typename Field>
void expectField(std::initializer_list<std::pair<const char*, Field>> rows, Field (*field)(const VibeConfig&)) {
    for (const auto& [members, expected] : rows) {
        const std::string text = std::string("{") + members + "}";
        EXPECT_EQ(field(VibeConfig::decode(text)), expected) << text;
    }
}

Vibe vibe(std::string name, std::optional<std::string> themeID = std::nullopt) {
    return Vibe{std::move(name), "text", ":emoji:", {"rock"}, std::move(themeID)};
}

TEST(VibeConfigDecoding, NullTakesTheDefaultLikeAnAbsentKey) {
    EXPECT_EQ(VibeConfig::decode("{}"), VibeConfig{});
    const VibeConfig config = VibeConfig::decode(R"({"slack_accounts": null, "when_music_stops": null,
        "status_format": null, "theme": null, "custom_themes": null, "poll_seconds": null,
        "animate_menu_bar": null, "sources": null, "default_vibe": null, "vibes": null,
        "clear_when_paused": null, "append_artist": null})");
    EXPECT_EQ(config, VibeConfig{});
}

TEST(VibeConfigDecoding, WhenMusicStopsAndTheOlderSwitch) {
    expectField<WhenMusicStops>(
        {
            {R"("when_music_stops": "leave")", WhenMusicStops::leave},
            {R"("when_music_stops": "clear")", WhenMusicStops::clear},
            {R"("when_music_stops": "pause", "clear_when_paused": false)", WhenMusicStops::leave},
            {R"("when_music_stops": "pause")", WhenMusicStops::restore},
            // Values match exactly.
            {R"("when_music_stops": "Leave", "clear_when_paused": true)", WhenMusicStops::restore},
            {R"("when_music_stops": " clear")", WhenMusicStops::restore},
            {R"("when_music_stops": "restore\n", "clear_when_paused": false)", WhenMusicStops::leave},
            {R"("when_music_stops": "", "clear_when_paused": false)", WhenMusicStops::leave},
            {R"("clear_when_paused": false)", WhenMusicStops::leave},
            {R"("clear_when_paused": null)", WhenMusicStops::restore},
            // The newer key wins, and the older one is then not even read.
            {R"("when_music_stops": "clear", "clear_when_paused": false)", WhenMusicStops::clear},
            {R"("when_music_stops": "clear", "clear_when_paused": "not a boolean")", WhenMusicStops::clear},
        },
        [](const VibeConfig& c) -> WhenMusicStops { return c.whenMusicStops; });
}

TEST(VibeConfigDecoding, StatusFormatAndTheOlderArtistSwitch) {
    expectField<std::string>(
        {
            {R"("status_format": "{vibe} · {track}")", "{vibe} \u00B7 {track}"},
            {R"("status_format": " ")", " "},
            {R"("status_format": "{track}", "append_artist": true)", "{track}"},
            {R"("status_format": "", "append_artist": true)", "{vibe} \u00B7 {artist}"},
            {R"("status_format": "", "append_artist": false)", "{vibe}"},
            {R"("status_format": "")", "{vibe}"},
            {R"("append_artist": true)", "{vibe} \u00B7 {artist}"},
            {R"("status_format": "x", "append_artist": "not a boolean")", "x"},
        },
        [](const VibeConfig& c) -> std::string { return c.statusFormat; });
}

TEST(VibeConfigDecoding, SourcesKeepTheFirstOfEachKnownPlayer) {
    expectField<Sources>(
        {
            {"", {PlayerSourceID::spotify, PlayerSourceID::appleMusic}},
            {R"("sources": null)", {PlayerSourceID::spotify, PlayerSourceID::appleMusic}},
            {R"("sources": [])", {}},
            {R"("sources": ["apple_music", "winamp", "apple_music", "spotify"])",
             {PlayerSourceID::appleMusic, PlayerSourceID::spotify}},
            {R"("sources": ["spotify", "spotify", "spotify"])", {PlayerSourceID::spotify}},
            {R"("sources": ["Spotify", "apple music", "itunes", ""])", {}},
        },
        [](const VibeConfig& c) -> Sources { return c.sources; });
}

TEST(VibeConfigDecoding, TheDefaultThemeMustNameAKnownTheme) {
    expectField<std::string>(
        {
            {R"("theme": "msn_nick")", "msn_nick"},
            // Listed in the shipped document's commentary, but there is no such built-in theme.
            {R"("theme": "msn")", "plain"},
            {R"("theme": "Plain")", "plain"},
            {R"("theme": "mine", "custom_themes": [{"id": "mine", "name": "Mine"}])", "mine"},
            {R"("theme": "mine", "custom_themes": [{"id": "Mine", "name": "Mine"}])", "plain"},
            {R"("theme": "", "custom_themes": [{"id": "", "name": "Nameless"}])", ""},
        },
        [](const VibeConfig& c) -> std::string { return c.themeID; });
}

TEST(VibeConfigDecoding, AVibeLosesOnlyAThemeThatDoesNotExist) {
    const VibeConfig config = VibeConfig::decode(R"({
        "custom_themes": [{"id": "mine", "name": "Mine", "prefix": "<", "suffix": ">"}],
        "default_vibe": {"name": "listening", "status_text": "On", "status_emoji": ":headphones:", "theme": "gone"},
        "vibes": [
            {"name": "a", "status_text": "text", "status_emoji": ":emoji:", "match": ["rock"], "theme": "nope"},
            {"name": "b", "status_text": "text", "status_emoji": ":emoji:", "match": ["rock"], "theme": "mine"},
            {"name": "c", "status_text": "text", "status_emoji": ":emoji:", "match": ["rock"], "theme": "msn_nick"},
            {"name": "d", "status_text": "text", "status_emoji": ":emoji:", "match": ["rock"], "theme": "MSN_NICK"},
            {"name": "e", "status_text": "text", "status_emoji": ":emoji:", "match": ["rock"]}
        ]})");
    EXPECT_EQ(config.vibes,
              (std::vector<Vibe>{vibe("a"), vibe("b", "mine"), vibe("c", "msn_nick"), vibe("d"), vibe("e")}));
    EXPECT_EQ(config.defaultVibe, (Vibe{"listening", "On", ":headphones:", {}, std::nullopt}));
}

TEST(VibeConfigDecoding, VibeFieldsAreTakenAsWritten) {
    const VibeConfig config = VibeConfig::decode(R"({"vibes": [
        {"name": " Spaced ", "status_text": "", "status_emoji": "no colons", "match": ["Rock", "rock", ""]},
        {"name": "n", "status_text": "t", "status_emoji": "e", "match": null},
        {"name": "n", "status_text": "t", "status_emoji": "e", "theme": null}
    ]})");
    ASSERT_EQ(config.vibes.size(), 3u);
    EXPECT_EQ(config.vibes[0], (Vibe{" Spaced ", "", "no colons", {"Rock", "rock", ""}, std::nullopt}));
    EXPECT_EQ(config.vibes[1], (Vibe{"n", "t", "e", {}, std::nullopt}));
    EXPECT_EQ(config.vibes[2], config.vibes[1]);
    EXPECT_EQ(config.vibes[2].id(), "n");
}

TEST(VibeConfigDecoding, ScalarsAndUnknownKeys) {
    const VibeConfig config = VibeConfig::decode(R"({"poll_seconds": -5, "animate_menu_bar": false,
        "unknown": {"deeply": [1, 2, {"nested": null}]}, "_comment": "ignored", "vibes": [
        {"name": "n", "status_text": "t", "status_emoji": "e", "extra": 1}]})");
    EXPECT_EQ(config.pollSeconds, -5);
    EXPECT_FALSE(config.animateMenuBar);
    EXPECT_EQ(config.vibes.size(), 1u);

    EXPECT_EQ(VibeConfig::decode(R"({"poll_seconds": 9223372036854775807})").pollSeconds, INT64_MAX);
    EXPECT_EQ(VibeConfig::decode(R"({"poll_seconds": -9223372036854775808})").pollSeconds, INT64_MIN);
}

TEST(VibeConfigDecoding, WrongTypesAndMissingTextsFailTheDocumentSayingWhereAndWhy) {
    struct Row {
        const char* text;
        const char* location;
        const char* reason;
    };
    const Row rows[] = {
        {R"({"vibes": [{"name": "a", "status_text": "b", "status_emoji": "c"},
                       {"name": "a", "status_text": "b", "status_emoji": "c"},
                       {"name": "a", "status_text": "b", "status_emoji": 7}]})",
         "vibes[2].status_emoji", "expected text, found a whole number"},
        {R"({"vibes": [{"status_text": "b", "status_emoji": "c"}]})", "vibes[0].name", "required text is missing"},
        {R"({"vibes": [{"name": "a", "status_text": "b", "status_emoji": "c", "match": "rock"}]})", "vibes[0].match",
         "expected a list, found a string"},
        {R"({"vibes": [{"name": "a", "status_text": "b", "status_emoji": "c", "match": ["rock", 1]}]})",
         "vibes[0].match[1]", "expected text, found a whole number"},
        {R"({"vibes": [null]})", "vibes[0]", "expected an object, found null"},
        {R"({"vibes": {"name": "a"}})", "vibes", "expected a list, found an object"},
        {R"({"default_vibe": "listening"})", "default_vibe", "expected an object, found a string"},
        {R"({"poll_seconds": "120"})", "poll_seconds", "expected a whole number, found a string"},
        {R"({"animate_menu_bar": "yes"})", "animate_menu_bar", "expected true or false, found a string"},
        {R"({"sources": ["spotify", null]})", "sources[1]", "expected text, found null"},
        {R"({"theme": 3})", "theme", "expected text, found a whole number"},
        {R"({"theme": null, "custom_themes": {}})", "custom_themes", "expected a list, found an object"},
        {R"({"custom_themes": [{"id": "x"}]})", "custom_themes[0].name", "required text is missing"},
        {R"({"when_music_stops": "pause", "clear_when_paused": "no"})", "clear_when_paused",
         "expected true or false, found a string"},
        {R"({"status_format": false})", "status_format", "expected text, found true or false"},
        {R"({"status_format": "", "append_artist": "yes"})", "append_artist", "expected true or false, found a string"},
        {R"({"slack_accounts": [{}, {"is_enabled": "yes"}]})", "slack_accounts[1].is_enabled",
         "expected true or false, found a string"},
        {R"([])", "", "expected an object, found a list"},
    };
    for (const Row& row : rows) {
        const DecodeError error = decodeFailure(row.text);
        EXPECT_EQ(error.location(), row.location) << row.text;
        EXPECT_EQ(error.reason(), row.reason) << row.text;
    }
}

TEST(VibeConfigDecoding, OfSeveralFaultsTheFirstKeyInDecodingOrderIsReported) {
    // Accounts are read first, the default theme late, whatever the order in the file.
    struct Row {
        const char* text;
        const char* location;
    };
    const Row rows[] = {
        {R"({"vibes": 1, "slack_accounts": 1})", "slack_accounts"},
        {R"({"theme": 1, "vibes": 1})", "vibes"},
        {R"({"sources": 1, "poll_seconds": "x", "animate_menu_bar": 1})", "poll_seconds"},
        {R"({"custom_themes": 1, "status_format": 1, "when_music_stops": 1})", "when_music_stops"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(decodeFailure(row.text).location(), row.location) << row.text;
    }
}

} // namespace
} // namespace nimbrel
