#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/config/vibe_config.h"

namespace nimbrel {
namespace {

VibeConfig sample() {
    VibeConfig config;
    config.slackAccounts = {SlackAccount{"Q", "T1", "U1", {}, std::nullopt, false}};
    config.whenMusicStops = WhenMusicStops::leave;
    config.statusFormat = "{vibe} \u00B7 {track}";
    config.themeID = "mine";
    config.customThemes = {StatusTheme{"mine", "Mine", "<", "", TextTransform::vaporwave, "{track}"}};
    config.pollSeconds = 90;
    config.animateMenuBar = false;
    config.sources = {PlayerSourceID::appleMusic};
    config.vibes = {Vibe{"loud", "Loud", ":zap:", {"rock"}, "leet"}};
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
      "scopes": [],
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
    // The older keys' meaning is carried over into the newer ones, which are what a save writes.
    VibeConfig config = VibeConfig::decode(R"({"clear_when_paused": false, "append_artist": true, "_help": "a"})");
    nlohmann::json written = nlohmann::json::parse(config.encodedData());
    EXPECT_EQ(written["when_music_stops"], "leave");
    EXPECT_EQ(written["status_format"], "{vibe} \u00B7 {artist}");
    for (const char* key : {"default_vibe", "clear_when_paused", "append_artist", "_help"}) {
        EXPECT_FALSE(written.contains(key)) << key;
    }

    config.defaultVibe = Vibe{"listening", "Music is on", ":headphones:", {}, std::nullopt};
    written = nlohmann::json::parse(config.encodedData());
    EXPECT_EQ(written["default_vibe"], nlohmann::json::parse(R"({"name": "listening", "status_text": "Music is on",
        "status_emoji": ":headphones:", "match": []})"));
    EXPECT_EQ(written.size(), 10u);
}

TEST(VibeConfigEncoding, MalformedUtf8IsReplacedAndAnEmptyTemplateReadsBackAsTheDefault) {
    VibeConfig config;
    config.statusFormat = "bad \xFF byte";
    EXPECT_EQ(VibeConfig::decode(config.encodedData()).statusFormat, "bad \uFFFD byte");
    // Empty means "use the default" when reading, so an empty template does not survive a save as such.
    config.statusFormat = "";
    EXPECT_EQ(VibeConfig::decode(config.encodedData()).statusFormat, "{vibe}");
}

} // namespace
} // namespace nimbrel
