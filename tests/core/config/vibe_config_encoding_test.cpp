#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/config/vibe_config.h"

namespace nimbrel {
namespace {

// Layout, key order and escaping are checked on generated configurations by the round-trip test.
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
