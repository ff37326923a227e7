#include <algorithm>
#include <random>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/config/vibe_config.h"

namespace nimbrel {
namespace {

// Builds random configurations whose theme references all name existing themes: the values a save must
// give back unchanged.
class ConfigGenerator {
public:
    explicit ConfigGenerator(std::uint32_t seed)
        : m_random(seed) {}

    VibeConfig next() {
        VibeConfig config;
        for (int count = below(4); count > 0; --count) {
            config.slackAccounts.push_back(account());
        }
        config.whenMusicStops = WhenMusicStops::allCases()[static_cast<std::size_t>(below(3))];
        // Empty reads back as the default template, so it is not a value a save can keep.
        config.statusFormat = nonEmptyText();
        for (int count = below(4); count > 0; --count) {
            config.customThemes.push_back(theme());
        }
        const std::int64_t extreme = chance(2) ? INT64_MIN : INT64_MAX;
        config.pollSeconds =
            chance(3) ? extreme : std::uniform_int_distribution<std::int64_t>(INT64_MIN, INT64_MAX)(m_random);
        config.animateMenuBar = chance(2);
        const auto sources = PlayerSourceID::allCases();
        config.sources.assign(sources.begin(), sources.end());
        std::shuffle(config.sources.begin(), config.sources.end(), m_random);
        config.sources.erase(config.sources.begin() + below(3), config.sources.end());

        std::vector<std::string> themeIDs(StatusTheme::builtInIDs().begin(), StatusTheme::builtInIDs().end());
        for (const StatusTheme& custom : config.customThemes) {
            themeIDs.push_back(custom.id);
        }
        config.themeID = themeIDs[static_cast<std::size_t>(below(static_cast<int>(themeIDs.size())))];
        if (chance(2)) {
            config.defaultVibe = vibe(themeIDs);
        }
        for (int count = below(9); count > 0; --count) {
            config.vibes.push_back(vibe(themeIDs));
        }
        return config;
    }

private:
    int below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(m_random); }
    bool chance(int oneIn) { return below(oneIn) == 0; }

    // Pieces that stress the encoder: multi-byte UTF-8, grapheme clusters of several scalars, characters
    // JSON must escape, placeholders, and look-alikes of keys.
    std::string text() {
        // clang-format off
        static const char* const pieces[] = {
            "a", "Rock", " ", "{vibe}", "{track}", "{artist}", "{emoji}", "caf\u00E9", "e\u0301\u0302", "\u00DF",
            "\U0001F3B6", "\U0001F469\u200D\U0001F469\u200D\U0001F467", "\U0001F44D\U0001F3FD", "\U0001F1EF\U0001F1F5",
            "1\uFE0F\u20E3", "\u30CE\u309A", "\u0645\u0648\u0633\u064A\u0642\u0649", "\u4E2D\u6587", "\u2014", "\u00B7",
            "\u2026", "\"", "\\", "/", "\n", "\r\n", "\t", "\x01", "\x7F", "\u2028", "\uFEFF", "\U0010FFFF",
            ":headphones:", "theme", "_comment", "null"};
        // clang-format on
        std::string result;
        for (int count = below(6); count > 0; --count) {
            result += pieces[static_cast<std::size_t>(below(static_cast<int>(std::size(pieces))))];
        }
        return result;
    }

    std::string nonEmptyText() {
        std::string result = text();
        return result.empty() ? "{vibe}" : result;
    }

    std::vector<std::string> texts() {
        std::vector<std::string> result;
        for (int count = below(5); count > 0; --count) {
            result.push_back(text());
        }
        return result;
    }

    SlackAccount account() {
        SlackAccount result{text(), text(), text(), texts(), std::nullopt, chance(3)};
        if (chance(2)) {
            // Any second from 1900 to 2200.
            const auto seconds = std::uniform_int_distribution<std::int64_t>(-2'208'988'800, 7'258'118'400)(m_random);
            result.connectedAt = std::chrono::sys_seconds{std::chrono::seconds{seconds}};
        }
        return result;
    }

    StatusTheme theme() {
        StatusTheme result;
        // Sometimes a custom theme reuses a built-in id: legal, and the built-in wins at lookup.
        result.id = chance(8) ? "shrug" : text();
        result.name = text();
        result.prefix = text();
        result.suffix = text();
        result.transform = TextTransform::allCases()[static_cast<std::size_t>(below(5))];
        if (chance(2)) {
            result.templateText = text();
        }
        return result;
    }

    Vibe vibe(const std::vector<std::string>& themeIDs) {
        Vibe result{text(), text(), text(), texts(), std::nullopt};
        if (chance(3)) {
            result.themeID = themeIDs[static_cast<std::size_t>(below(static_cast<int>(themeIDs.size())))];
        }
        return result;
    }

    std::mt19937 m_random;
};

TEST(VibeConfigRoundTrip, GeneratedConfigurationsSurviveASaveUnchanged) {
    ConfigGenerator generator(20261206);
    for (int iteration = 0; iteration < 600; ++iteration) {
        const VibeConfig original = generator.next();
        const std::string data = original.encodedData();
        VibeConfig decoded;
        ASSERT_NO_THROW(decoded = VibeConfig::decode(data)) << "configuration " << iteration << "\n" << data;
        ASSERT_EQ(decoded, original) << "configuration " << iteration << "\n" << data;
        // Saving what was read writes the same bytes again.
        EXPECT_EQ(decoded.encodedData(), data) << "configuration " << iteration;
        // Keys sorted at every level: the bytes are the canonical pretty print of what they hold.
        EXPECT_EQ(nlohmann::json::parse(data).dump(2), data);
    }
}

// Layout, key order and escaping are checked on the generated configurations above.
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
