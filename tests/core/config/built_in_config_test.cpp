#include "core/config/built_in_config.h"

#include <fstream>
#include <iterator>
#include <set>

#include <gtest/gtest.h>

#include "core/rendering/slack_emoji.h"
#include "core/text/casing.h"
#include "core/text/utf8.h"
#include "core/text/whitespace.h"

namespace nimbrel {
namespace {

std::string resourceBytes() {
    std::ifstream file(NIMBREL_BUILT_IN_CONFIG_PATH, std::ios::binary);
    EXPECT_TRUE(file) << NIMBREL_BUILT_IN_CONFIG_PATH;
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(BuiltInConfig, TheEmbeddedTextIsTheShippedFileByteForByte) {
    const std::string shipped = resourceBytes();
    ASSERT_FALSE(shipped.empty());
    EXPECT_EQ(builtInConfigText, shipped);
    EXPECT_EQ(builtInConfigText.back(), '}') << "no final line break";
    EXPECT_NE(builtInConfigText.substr(0, 3), "\xEF\xBB\xBF") << "no byte-order mark";
    EXPECT_EQ(builtInConfigText.find('\r'), std::string_view::npos);
    EXPECT_TRUE(Utf8::isValid(builtInConfigText));
}

TEST(BuiltInConfig, DecodesWithoutNoticesIntoUsableVibes) {
    std::vector<ConfigNotice> notices;
    const VibeConfig config = VibeConfig::decode(builtInConfigText, notices);
    EXPECT_TRUE(notices.empty()) << notices.size() << " notices, the first: " << notices.front().message();
    EXPECT_EQ(builtInConfig(), config);
    ASSERT_TRUE(config.defaultVibe);
    ASSERT_FALSE(config.vibes.empty());

    std::vector<Vibe> all = config.vibes;
    all.push_back(*config.defaultVibe);
    std::set<std::string, std::less<>> names;
    std::set<std::string, std::less<>> keywords;
    for (const Vibe& vibe : all) {
        SCOPED_TRACE(vibe.name);
        EXPECT_TRUE(names.insert(vibe.name).second) << "two vibes share a name";
        EXPECT_FALSE(vibe.statusText.empty());
        EXPECT_TRUE(SlackEmoji::looksLikeShortcode(vibe.statusEmoji)) << vibe.statusEmoji;
        EXPECT_EQ(vibe.statusEmoji.front(), ':') << vibe.statusEmoji;
        EXPECT_EQ(vibe.themeID, std::nullopt);
        for (const std::string& keyword : vibe.match) {
            // Matching ignores case, but the editors show keywords as written.
            EXPECT_EQ(keyword, Casing::lowercased(keyword));
            EXPECT_EQ(keyword, Whitespace::trimmed(keyword));
            EXPECT_FALSE(keyword.empty());
            EXPECT_TRUE(keywords.insert(keyword).second) << "\"" << keyword << "\" appears twice";
        }
    }
    EXPECT_TRUE(config.defaultVibe->match.empty());
}

} // namespace
} // namespace nimbrel
