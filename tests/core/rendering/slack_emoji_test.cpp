#include "core/rendering/slack_emoji.h"

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/text/utf8.h"

namespace nimbrel {
namespace {

// Glyphs written by code point, so a test never depends on how an editor stores emoji.
std::string scalars(std::u32string_view codePoints) {
    return Utf8::encode(codePoints);
}

TEST(SlackEmojiTables, ShortcodesAreInComparisonFormWithAGlyph) {
    for (const auto& [shortcode, glyph] : SlackEmoji::knownShortcodes()) {
        EXPECT_EQ(SlackEmoji::normalize(shortcode), shortcode) << "not in comparison form: " << shortcode;
        EXPECT_FALSE(glyph.empty()) << shortcode;
    }
}

TEST(SlackEmojiTables, CuratedEntriesAreKnownAndGroupedByTabInTabOrder) {
    const auto& curated = SlackEmoji::curated();
    ASSERT_FALSE(curated.empty());
    std::set<std::string> ids;
    std::size_t tab = 0;
    const auto& tabs = SlackEmoji::Category::allCases();
    for (const SlackEmoji::Entry& entry : curated) {
        EXPECT_TRUE(ids.insert(entry.id()).second) << "twice: " << entry.shortcode;
        EXPECT_EQ(SlackEmoji::glyph(entry.shortcode), entry.glyph) << entry.shortcode;
        EXPECT_EQ(entry.colonized(), ":" + entry.shortcode + ":");
        while (tab < tabs.size() && tabs[tab] != entry.category) {
            ++tab;
        }
        EXPECT_LT(tab, tabs.size()) << entry.shortcode << " is out of its tab's order";
    }
}

TEST(SlackEmojiNormalize, Cases) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {" :ZAP: ", "zap"}, {"::zap::", ":zap:"}, {"zap", "zap"}, {":::", ":"}, {"\u00A0:Zap:\u2003", "zap"},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(SlackEmoji::normalize(input), expected) << "input: [" << input << "]";
    }
}

TEST(SlackEmojiGlyph, AliasesShareAGlyph) {
    EXPECT_EQ(SlackEmoji::glyph("thumbsup"), scalars(U"\U0001F44D"));
    EXPECT_EQ(SlackEmoji::glyph("+1"), SlackEmoji::glyph("thumbsup"));
    EXPECT_EQ(SlackEmoji::glyph(" :Fire: "), scalars(U"\U0001F525"));
    EXPECT_EQ(SlackEmoji::glyph(""), std::nullopt);
    EXPECT_EQ(SlackEmoji::glyph(":my_custom:"), std::nullopt);
    EXPECT_EQ(SlackEmoji::glyph(":dancer:"), std::nullopt);
}

TEST(SlackEmojiDisplay, Cases) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {":fire:", scalars(U"\U0001F525")}, {":my_custom:", ":my_custom:"},
        {" :My_Custom: ", ":My_Custom:"},   {scalars(U"\U0001F525"), scalars(U"\U0001F525")},
        {"ZAP", scalars(U"\u26A1\uFE0F")},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(SlackEmoji::display(input), expected) << "input: [" << input << "]";
    }
}

TEST(SlackEmojiMenuBarGlyph, Cases) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"5", std::nullopt},
        {"", std::nullopt},
        {":my_custom:", std::nullopt},
        {scalars(U"\u2600\uFE0F"), scalars(U"\u2600\uFE0F")},
        {scalars(U"\u2600"), std::nullopt}, // Emoji but drawn as text without the selector
        {":sunny:", scalars(U"\u2600\uFE0F")},
        {" " + scalars(U"\U0001F3A7") + " ", scalars(U"\U0001F3A7")},
        {scalars(U"5\uFE0F\u20E3"), scalars(U"5\uFE0F\u20E3")}, // a keycap
        {scalars(U"\U0001F44D\U0001F3FD"), scalars(U"\U0001F44D\U0001F3FD")},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(SlackEmoji::menuBarGlyph(input), expected) << "input: [" << input << "]";
    }
}

TEST(SlackEmojiLooksLikeShortcode, Cases) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {":my_custom:", true}, // a colon makes any well-formed name plausible
        {"zap", true},         // known without colons
        {"my_custom", false},  // unknown and without colons
        {":+1:", true},        {"-1", true},          {":has space:", false},
        {":dot.ted:", false},  {"", false},           {"::", false},
        {":", false},          {":caf\u00E9:", true}, {scalars(U"\U0001F525"), false},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(SlackEmoji::looksLikeShortcode(input), expected) << "input: [" << input << "]";
    }
}

TEST(SlackEmojiIsKnown, StandardAndWorkspaceEmoji) {
    const SlackEmoji::Workspace workspace = {{"partyparrot", "https://emoji.example/partyparrot.gif"},
                                             {"pp", "alias:partyparrot"}};
    EXPECT_TRUE(SlackEmoji::isKnown(":zap:"));
    EXPECT_TRUE(SlackEmoji::isKnown(" ZAP "));
    EXPECT_FALSE(SlackEmoji::isKnown(":partyparrot:"));
    EXPECT_TRUE(SlackEmoji::isKnown(":partyparrot:", workspace));
    EXPECT_TRUE(SlackEmoji::isKnown(":PP:", workspace));
    EXPECT_FALSE(SlackEmoji::isKnown(":nope:", workspace));
    EXPECT_FALSE(SlackEmoji::isKnown("", {{"", "x"}}));
}

TEST(SlackEmojiCanonicalizing, Cases) {
    const std::string zap = scalars(U"\u26A1\uFE0F");
    const std::string fire = scalars(U"\U0001F525");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Energy :zap::fire: now", "Energy " + zap + fire + " now"},
        {"ratio 3:2 :nope: :zap:", "ratio 3:2 :nope: " + zap},
        {"12:30", "12:30"},
        {":ZAP:", zap},
        {"::zap::", ":" + zap + ":"},
        {":zap", ":zap"},
        {":my custom: :fire:", ":my custom: " + fire},
        {":+1: :-1:", scalars(U"\U0001F44D \U0001F44E")},
        {"a:b:c:fire:d", "a:b:c" + fire + "d"},
        {"", ""},
    };
    for (const auto& [input, expected] : cases) {
        const std::string once = SlackEmoji::canonicalizingShortcodes(input);
        EXPECT_EQ(once, expected) << "input: [" << input << "]";
        EXPECT_EQ(SlackEmoji::canonicalizingShortcodes(once), once) << "not stable on its own output";
    }
}

TEST(SlackEmojiEntryMatches, SearchesShortcodesAndAliases) {
    const auto matching = [](std::string_view query) {
        std::vector<std::string> found;
        for (const SlackEmoji::Entry& entry : SlackEmoji::curated()) {
            if (entry.matches(query)) {
                found.push_back(entry.shortcode);
            }
        }
        return found;
    };
    EXPECT_EQ(matching("JAZZ"), (std::vector<std::string>{"trumpet", "saxophone"}));
    EXPECT_EQ(matching("horn"), (std::vector<std::string>{"the_horns"}));
    EXPECT_EQ(matching("  Party "), (std::vector<std::string>{"partying_face", "tada"}));
    EXPECT_TRUE(matching("zzzz").empty());
    // The glyph is not searched.
    EXPECT_TRUE(matching(scalars(U"\U0001F3A7")).empty());
}

} // namespace
} // namespace nimbrel
