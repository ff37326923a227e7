#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/config/vibe_config.h"

namespace nimbrel {
namespace {

VibeConfig sample() {
    VibeConfig config;
    config.slackAccounts = {SlackAccount{"Q", "T1", "U1", {"users.profile:write"}, std::nullopt, false}};
    config.whenMusicStops = WhenMusicStops::leave;
    config.statusFormat = "{vibe} \u00B7 {track}";
    config.themeID = "mine";
    config.customThemes = {StatusTheme{"mine", "Mine", "<", "", TextTransform::vaporwave, "{track}"}};
    config.pollSeconds = 90;
    config.animateMenuBar = false;
    config.sources = {PlayerSourceID::appleMusic};
    config.vibes = {Vibe{"quiet", "Shh", ":brain:", {}, std::nullopt}, Vibe{"loud", "Loud", ":zap:", {"rock"}, "leet"}};
    return config;
}

TEST(VibeConfigEncoding, PrettyPrintedWithSortedKeysAtEveryLevel) {
    const std::string expected = R"({
  "animate_menu_bar": false,
  "custom_themes": [
    {
      "id": "mine",
      "name": "Mine",
      "prefix": "<",
      "template": "{track}",
      "transform": "vaporwave"
    }
  ],
  "poll_seconds": 90,
  "slack_accounts": [
    {
      "is_enabled": false,
      "scopes": [
        "users.profile:write"
      ],
      "team_id": "T1",
      "team_name": "Q",
      "user_id": "U1"
    }
  ],
  "sources": [
    "apple_music"
  ],
  "status_format": "{vibe} · {track}",
  "theme": "mine",
  "vibes": [
    {
      "match": [],
      "name": "quiet",
      "status_emoji": ":brain:",
      "status_text": "Shh"
    },
    {
      "match": [
        "rock"
      ],
      "name": "loud",
      "status_emoji": ":zap:",
      "status_text": "Loud",
      "theme": "leet"
    }
  ],
  "when_music_stops": "leave"
})";
    EXPECT_EQ(sample().encodedData(), expected);
}

TEST(VibeConfigEncoding, TheDefaultVibeOnlyWhenThereIsOneAndNeverTheOlderKeys) {
    VibeConfig config = sample();
    nlohmann::json written = nlohmann::json::parse(config.encodedData());
    EXPECT_FALSE(written.contains("default_vibe"));
    EXPECT_FALSE(written.contains("clear_when_paused"));
    EXPECT_FALSE(written.contains("append_artist"));
    EXPECT_EQ(written.size(), 9u);

    config.defaultVibe = Vibe{"listening", "Music is on", ":headphones:", {}, std::nullopt};
    written = nlohmann::json::parse(config.encodedData());
    EXPECT_EQ(written["default_vibe"], nlohmann::json::parse(R"({"name": "listening", "status_text": "Music is on",
        "status_emoji": ":headphones:", "match": []})"));
    EXPECT_EQ(written.size(), 10u);
}

TEST(VibeConfigEncoding, OlderKeysAreDroppedOnceTheirMeaningIsCarriedOver) {
    const VibeConfig decoded =
        VibeConfig::decode(R"({"clear_when_paused": false, "append_artist": true, "_help": "a comment"})");
    const nlohmann::json written = nlohmann::json::parse(decoded.encodedData());
    EXPECT_EQ(written["when_music_stops"], "leave");
    EXPECT_EQ(written["status_format"], "{vibe} \u00B7 {artist}");
    EXPECT_FALSE(written.contains("clear_when_paused"));
    EXPECT_FALSE(written.contains("append_artist"));
    EXPECT_FALSE(written.contains("_help"));
}

TEST(VibeConfigEncoding, TextIsWrittenAsUtf8AndEscapedOnlyWhereJsonNeedsIt) {
    VibeConfig config;
    config.statusFormat = "caf\u00E9 \U0001F3B6 \"q\" \\ \n\t\x01 </b>";
    const std::string data = config.encodedData();
    EXPECT_NE(data.find(R"("status_format": "café 🎶 \"q\" \\ \n\t\u0001 </b>")"), std::string::npos) << data;
    EXPECT_NE(data.back(), '\n');
}

TEST(VibeConfigEncoding, MalformedUtf8IsReplacedSoTheFileStillReads) {
    VibeConfig config;
    config.statusFormat = "bad \xFF byte";
    const VibeConfig decoded = VibeConfig::decode(config.encodedData());
    EXPECT_EQ(decoded.statusFormat, "bad \uFFFD byte");
}

TEST(VibeConfigEncoding, AnEmptyTemplateComesBackAsTheDefault) {
    // Empty means "use the default" when reading, so an empty template does not survive a save as such.
    VibeConfig config;
    config.statusFormat = "";
    EXPECT_EQ(VibeConfig::decode(config.encodedData()).statusFormat, "{vibe}");
}

} // namespace
} // namespace nimbrel
