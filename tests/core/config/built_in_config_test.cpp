#include "core/config/built_in_config.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include <gtest/gtest.h>

#include "core/text/utf8.h"

namespace nimbrel {
namespace {

std::string resourceBytes() {
    std::ifstream file(NIMBREL_BUILT_IN_CONFIG_PATH, std::ios::binary);
    EXPECT_TRUE(file) << NIMBREL_BUILT_IN_CONFIG_PATH;
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<std::string> lines(std::string_view text) {
    std::vector<std::string> result;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find('\n', start);
        result.emplace_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) {
            return result;
        }
        start = end + 1;
    }
}

TEST(BuiltInConfig, TheEmbeddedTextIsTheShippedFileByteForByte) {
    const std::string shipped = resourceBytes();
    ASSERT_FALSE(shipped.empty());
    EXPECT_EQ(builtInConfigText, shipped);
    EXPECT_EQ(builtInConfigText.front(), '{');
    EXPECT_EQ(builtInConfigText.back(), '}') << "no final line break";
    EXPECT_NE(builtInConfigText.substr(0, 3), "\xEF\xBB\xBF") << "no byte-order mark";
    EXPECT_EQ(builtInConfigText.find('\r'), std::string_view::npos);
    EXPECT_EQ(builtInConfigText.find('\t'), std::string_view::npos);
    EXPECT_TRUE(Utf8::isValid(builtInConfigText));
}

TEST(BuiltInConfig, DecodesToTheShippedVibes) {
    const std::optional<VibeConfig> decoded = builtInConfig();
    ASSERT_TRUE(decoded);
    const VibeConfig& config = *decoded;

    EXPECT_TRUE(config.slackAccounts.empty());
    EXPECT_EQ(config.whenMusicStops, WhenMusicStops::restore);
    EXPECT_EQ(config.statusFormat, "{vibe} \u00B7 \U0001F3B6 {track} \u2014 {artist}");
    EXPECT_EQ(config.themeID, "plain");
    EXPECT_TRUE(config.customThemes.empty());
    EXPECT_EQ(config.pollSeconds, 120);
    EXPECT_TRUE(config.animateMenuBar);
    EXPECT_EQ(config.sources, (std::vector<PlayerSourceID>{PlayerSourceID::spotify, PlayerSourceID::appleMusic}));
    EXPECT_EQ(config.defaultVibe, (Vibe{"listening", "Music is on", ":headphones:", {}, std::nullopt}));

    const std::vector<Vibe> expected = {
        {"heavy",
         "Extremely loud, on purpose",
         ":the_horns:",
         {"metal", "metalcore", "deathcore", "djent", "thrash", "grindcore", "hardcore", "breakcore", "speedcore",
          "gabber", "hardstyle", "dnb", "drum and bass", "drum'n'bass", "dubstep", "techno", "industrial"},
         std::nullopt},
        {"quiet",
         "Something quiet is happening",
         ":brain:",
         {"classical", "neoclassical", "piano", "instrumental", "post-rock", "minimalism", "ambient", "film score",
          "soundtrack", "drone", "study", "focus"},
         std::nullopt},
        {"hip-hop",
         "Beats and bars",
         ":microphone:",
         {"hip hop", "hip-hop", "rap", "drill", "trap", "grime", "boom bap", "phonk"},
         std::nullopt},
        {"groove",
         "Grooves detected",
         ":dancer:",
         {"nu disco", "disco", "french house", "funky house", "jazz house", "indie soul", "neo soul", "soul", "funk",
          "motown", "city pop", "chillwave", "boogie", "r&b", "jazz funk"},
         std::nullopt},
        {"energy",
         "Energy levels: elevated",
         ":zap:",
         {"house",     "edm",         "trance", "psytrance",   "progressive",  "electronic", "electronica",
          "synthwave", "uk garage",   "garage", "future bass", "melodic bass", "idm",        "breakbeat",
          "big room",  "indie dance", "dance",  "rock",        "alt-rock",     "hard rock",  "punk"},
         std::nullopt},
        {"chill",
         "Something gentle is on",
         ":coffee:",
         {"lofi",        "lo-fi",     "lo-fi beats", "chillhop",          "chillstep",
          "downtempo",   "trip hop",  "acoustic",    "singer-songwriter", "singer/songwriter",
          "indie folk",  "folk",      "jazz",        "bossa nova",        "dream pop",
          "bedroom pop", "vaporwave", "chill",       "alternative",       "indie"},
         std::nullopt},
        {"pop",
         "Bangers only, no apologies",
         ":mirror_ball:",
         {"pop", "hyperpop", "art pop", "dance pop", "electropop", "k-pop", "j-pop", "top 40", "electroclash"},
         std::nullopt},
    };
    EXPECT_EQ(config.vibes, expected);

    const std::size_t keywordCounts[] = {17, 12, 8, 15, 21, 20, 9};
    ASSERT_EQ(config.vibes.size(), std::size(keywordCounts));
    for (std::size_t i = 0; i < config.vibes.size(); ++i) {
        EXPECT_EQ(config.vibes[i].match.size(), keywordCounts[i]) << config.vibes[i].name;
    }
}

TEST(BuiltInConfig, MembersStandInTheirOrderWithTheirBlankLines) {
    struct Member {
        const char* key;
        std::size_t blankLinesAfter;
    };
    const Member members[] = {
        {"_slack_help", 1},
        {"_when_music_stops_help", 0},
        {"when_music_stops", 1},
        {"_status_format_help", 0},
        {"status_format", 1},
        {"_theme_help", 0},
        {"theme", 1},
        {"_custom_themes_help", 0},
        {"custom_themes", 1},
        {"_sources_help", 0},
        {"sources", 1},
        {"poll_seconds", 2},
        {"_order_help", 1},
        {"_genre_help", 1},
        {"_vibe_theme_help", 1},
        {"default_vibe", 1},
        {"vibes", 0},
    };
    const std::vector<std::string> all = lines(builtInConfigText);
    ASSERT_EQ(all.front(), "{");
    ASSERT_EQ(all.back(), "}");
    // Top-level members are the lines indented by exactly two spaces that start a key.
    std::vector<std::pair<std::string, std::size_t>> found;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const std::string& line = all[i];
        if (line.rfind("  \"", 0) == 0) {
            std::size_t end = i;
            if (line.back() == '{' || line.back() == '[') {
                while (all[end] != "  }," && all[end] != "  }" && all[end] != "  ]," && all[end] != "  ]") {
                    ++end;
                }
            }
            std::size_t blanks = 0;
            while (end + 1 + blanks < all.size() && all[end + 1 + blanks].empty()) {
                ++blanks;
            }
            found.emplace_back(line.substr(3, line.find('"', 3) - 3), blanks);
        }
    }
    ASSERT_EQ(found.size(), std::size(members));
    for (std::size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(found[i].first, members[i].key);
        EXPECT_EQ(found[i].second, members[i].blankLinesAfter) << members[i].key;
    }
    EXPECT_EQ(all[all.size() - 2], "  ]");
}

TEST(BuiltInConfig, CommentsAreTheShippedTexts) {
    const nlohmann::json document = nlohmann::json::parse(builtInConfigText);
    EXPECT_EQ(
        document["_slack_help"],
        "Connect Slack from Settings \u25B8 Accounts \u2014 you can connect several workspaces, and each has its "
        "own 'post my status here' switch. Tokens live in your keyring (the Secret Service), never in this file.");
    EXPECT_EQ(document["_when_music_stops_help"],
              "restore | clear | leave. 'restore' puts back whatever your status was before Nimbrel set one (and "
              "clears if there was nothing).");
    EXPECT_EQ(document["_sources_help"],
              "Now-playing sources, in priority order \u2014 the first one actually playing wins. Remove one to "
              "disable it. Known: spotify | apple_music.");
    EXPECT_FALSE(document.contains("slack_accounts"));
    EXPECT_FALSE(document.contains("animate_menu_bar"));
    int comments = 0;
    for (const auto& [key, value] : document.items()) {
        comments += key.front() == '_' ? 1 : 0;
    }
    EXPECT_EQ(comments, 9);
}

TEST(BuiltInConfig, KeywordsAreLaidOutInAlignedLines) {
    // Keywords per line of each vibe's "match" list, continuation lines aligned under the first keyword.
    const std::vector<std::vector<std::size_t>> perLine = {{6, 5, 5, 1}, {5, 5, 2},    {6, 2}, {5, 6, 4},
                                                           {6, 5, 5, 5}, {6, 4, 5, 5}, {5, 4}};
    const std::vector<std::string> all = lines(builtInConfigText);
    std::size_t vibeIndex = 0;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].rfind("      \"match\": [", 0) != 0) {
            continue;
        }
        ASSERT_LT(vibeIndex, perLine.size());
        std::vector<std::size_t> counts;
        for (std::size_t line = i;; ++line) {
            const std::string& text = all[line];
            if (line > i) {
                EXPECT_EQ(text.rfind(std::string(16, ' ') + "\"", 0), 0u) << text;
            }
            counts.push_back(static_cast<std::size_t>(std::count(text.begin(), text.end(), '"')) / 2 -
                             (line == i ? 1 : 0));
            if (text.back() == ']') {
                break;
            }
            EXPECT_EQ(text.back(), ',') << text;
        }
        EXPECT_EQ(counts, perLine[vibeIndex]) << "vibe " << vibeIndex;
        ++vibeIndex;
    }
    EXPECT_EQ(vibeIndex, perLine.size());
}

} // namespace
} // namespace nimbrel
