#include "core/config/config_decode_report.h"

#include <gtest/gtest.h>

#include "core/config/built_in_config.h"

namespace nimbrel {

// Shows a notice by its sentence when an expectation fails.
void PrintTo(const ConfigNotice& notice, std::ostream* out) {
    *out << notice.message();
}

namespace {

using Kind = ConfigNotice::Kind;

std::vector<ConfigNotice> noticesOf(std::string_view text) {
    const ConfigDecodeReport report = ConfigDecodeReport::decoding(text);
    EXPECT_TRUE(report.isReadable()) << text << "\n" << (report.error ? report.error->what() : "");
    return report.notices;
}

TEST(ConfigDecodeReport, ADocumentTakenAsWrittenHasNoNotices) {
    EXPECT_TRUE(noticesOf(builtInConfigText).empty());
    EXPECT_TRUE(noticesOf(VibeConfig{}.encodedData()).empty());
    EXPECT_TRUE(noticesOf(R"({"when_music_stops": null, "clear_when_paused": null, "sources": null})").empty());
}

TEST(ConfigDecodeReport, EachThingTheDecoderLetsPassIsListed) {
    struct Row {
        std::string text;
        std::vector<ConfigNotice> expected;
    };
    const std::string vibe = R"("name": "v", "status_text": "t", "status_emoji": "e")";
    const Row rows[] = {
        {R"({"sources": ["apple_music", "winamp", "apple_music", "spotify"]})",
         {{Kind::unknownSource, "sources[1]", "winamp", ""}, {Kind::repeatedSource, "sources[2]", "apple_music", ""}}},
        {R"({"theme": "msn"})", {{Kind::unknownTheme, "theme", "msn", "plain"}}},
        {R"({"when_music_stops": "pause"})", {{Kind::unknownWhenMusicStops, "when_music_stops", "pause", "restore"}}},
        {R"({"when_music_stops": "pause", "clear_when_paused": false})",
         {{Kind::unknownWhenMusicStops, "when_music_stops", "pause", "leave"},
          {Kind::legacyKeyUsed, "clear_when_paused", "false", "leave"}}},
        {R"({"when_music_stops": "clear", "clear_when_paused": "anything"})",
         {{Kind::legacyKeyIgnored, "clear_when_paused", "\"anything\"", ""}}},
        {R"({"append_artist": true})", {{Kind::legacyKeyUsed, "append_artist", "true", "{vibe} \u00B7 {artist}"}}},
        {R"({"status_format": "{track}", "append_artist": true})",
         {{Kind::legacyKeyIgnored, "append_artist", "true", ""}}},
        {R"({"custom_themes": [{"id": "a", "name": "A", "transform": "bold"}, {"id": "b", "name": "B",
             "transform": "leet"}, {"id": "c", "name": "C", "transform": "None"}]})",
         {{Kind::unknownTransform, "custom_themes[0].transform", "bold", "none"},
          {Kind::unknownTransform, "custom_themes[2].transform", "None", "none"}}},
        {R"({"vibe": [], "Theme": "x", "_comment": "fine"})",
         {{Kind::unknownKey, "Theme", "Theme", ""}, {Kind::unknownKey, "vibe", "vibe", ""}}},
        {(R"({"vibes": [{)" + vibe + R"(}, {)" + vibe + R"(, "matches": ["rock"], "theme": "gone"}],
             "default_vibe": {)" +
          vibe + R"(, "theme": "also gone"}})"),
         {{Kind::unknownKey, "vibes[1].matches", "matches", ""},
          {Kind::unknownVibeTheme, "vibes[1].theme", "gone", ""},
          {Kind::unknownVibeTheme, "default_vibe.theme", "also gone", ""}}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(noticesOf(row.text), row.expected) << row.text;
    }
}

TEST(ConfigDecodeReport, NoticesSayWhereWhatAndWhatHappensInstead) {
    struct Row {
        ConfigNotice notice;
        const char* message;
    };
    const Row rows[] = {
        {{Kind::unknownTheme, "theme", "msn", "plain"},
         R"(theme: no theme has the id "msn"; "plain" is used instead.)"},
        {{Kind::legacyKeyUsed, "clear_when_paused", "false", "leave"},
         R"(clear_when_paused: a setting of an older layout; false here makes "when_music_stops" "leave", which the next save writes in its place.)"},
        {{Kind::unknownKey, "vibes[0].matches", "matches", ""},
         R"(vibes[0].matches: not a setting Nimbrel knows; it is ignored, and the next save leaves it out.)"},
        // Control characters and quotes in hand-edited values are shown escaped, not printed raw.
        {{Kind::unknownSource, "sources[0]", "a\"b\x1B[2J", ""},
         R"(sources[0]: "a\"b\u001b[2J" is not a player Nimbrel knows (spotify, apple_music); it is ignored.)"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.notice.message(), row.message);
    }
}

TEST(ConfigDecodeReport, AnUnreadableDocumentGivesTheErrorAndNothingElse) {
    const ConfigDecodeReport typeError =
        ConfigDecodeReport::decoding(R"({"sources": ["winamp"], "vibes": [{"name": "a", "status_text": "b"}]})");
    EXPECT_FALSE(typeError.isReadable());
    ASSERT_TRUE(typeError.error);
    EXPECT_EQ(typeError.error->location(), "vibes[0].status_emoji");
    EXPECT_TRUE(typeError.notices.empty());

    const ConfigDecodeReport syntaxError = ConfigDecodeReport::decoding("{\n  \"theme\": plain\n}");
    ASSERT_TRUE(syntaxError.error);
    EXPECT_EQ(syntaxError.error->location(), "line 2, column 12");
    EXPECT_FALSE(syntaxError.config);

    const std::string text = R"({"sources": ["spotify", "spotify"], "theme": "msn", "poll_seconds": 60})";
    const ConfigDecodeReport report = ConfigDecodeReport::decoding(text);
    ASSERT_TRUE(report.config);
    EXPECT_EQ(*report.config, VibeConfig::decode(text));
    EXPECT_FALSE(report.error);
}

} // namespace
} // namespace nimbrel
