#include "core/text/graphemes.h"

#include <string>

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

struct Sample {
    const char* label;
    std::string text;
    std::size_t characters;
};

// Clusters that byte-, code-point- or UTF-16-based counting gets wrong.
const Sample kSamples[] = {
    {"empty", "", 0},
    {"crlf is one character", "a\r\nb", 3},
    {"lone cr and lf", "\r\r\n\n", 3},
    {"zwj family", "\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466", 1},
    {"flag", "\U0001F1EF\U0001F1F5", 1},
    {"two flags", "\U0001F1EF\U0001F1F5\U0001F1EB\U0001F1F7", 2},
    {"skin tone", "\U0001F44D\U0001F3FD", 1},
    {"keycap", "1\uFE0F\u20E3", 1},
    {"several combining marks", "e\u0301\u0323\u0308x", 2},
    {"katakana with semi-voiced mark", "\u30CE\u309A", 1},
    {"hangul jamo", "\u1100\u1161\u11A8", 1},
    {"devo cat", "\u14DA\u208D^\u2022\u1D25\u2022^\u208E", 8},
    {"odd regional indicator", "\U0001F1EF\U0001F1F5\U0001F1EB", 2},
    {"mark at the start stands alone", "\u0301a", 2},
    {"mark after a line break stands alone", "\n\u0301", 2},
    {"lf cr is two", "\n\r", 2},
    {"zwj skin-toned couple", "\U0001F469\U0001F3FD\u200D\u2764\uFE0F\u200D\U0001F468\U0001F3FB", 1},
    {"text variation of an emoji", "\u2764\uFE0E", 1},
};

// Counting, splitting and boundaries agree, and the pieces put back together are the text.
TEST(Graphemes, CountsExtendedClusters) {
    for (const Sample& sample : kSamples) {
        EXPECT_EQ(Graphemes::count(sample.text), sample.characters) << sample.label;
        EXPECT_EQ(Graphemes::boundaries(sample.text).size(), sample.characters + 1) << sample.label;
        const std::vector<std::string_view> pieces = Graphemes::split(sample.text);
        EXPECT_EQ(pieces.size(), sample.characters) << sample.label;
        std::string joined;
        for (const std::string_view character : pieces) {
            EXPECT_FALSE(character.empty()) << sample.label;
            joined.append(character);
        }
        EXPECT_EQ(joined, sample.text) << sample.label;
    }
    EXPECT_EQ(Graphemes::boundaries("a\u00E9"), (std::vector<std::size_t>{0, 1, 3}));
}

TEST(Graphemes, PrefixLastAndDroppingLastNeverSplitACluster) {
    const std::string text = "\U0001F44D\U0001F3FDe\u0301\u0323\U0001F1EF\U0001F1F5z";
    EXPECT_EQ(Graphemes::prefix(text, 0), "");
    EXPECT_EQ(Graphemes::prefix(text, 1), "\U0001F44D\U0001F3FD");
    EXPECT_EQ(Graphemes::prefix(text, 2), "\U0001F44D\U0001F3FDe\u0301\u0323");
    EXPECT_EQ(Graphemes::prefix(text, 99), text);
    EXPECT_EQ(Graphemes::prefix("a\r\nb", 2), "a\r\n");
    const std::string couple = "ab\U0001F468\u200D\U0001F469";
    EXPECT_EQ(Graphemes::last(couple), "\U0001F468\u200D\U0001F469");
    EXPECT_EQ(Graphemes::droppingLast(couple, 1), "ab");
    EXPECT_EQ(Graphemes::droppingLast(couple, 9), "");
    EXPECT_EQ(Graphemes::last(""), "");
}

TEST(Graphemes, ClampedShortensToTheLimitWithAnEllipsis) {
    struct Case {
        std::string text;
        std::size_t limit;
        std::string expected;
    };
    const std::string thumb = "\U0001F44D\U0001F3FD";
    for (const Case& c :
         {Case{"abc", 3, "abc"}, Case{"abcd", 3, "ab\u2026"}, Case{"abc", 0, ""}, Case{"ab", 1, "\u2026"},
          Case{thumb + thumb, 2, thumb + thumb}, Case{thumb + thumb + "x", 2, thumb + "\u2026"},
          Case{"e\u0301e\u0301e", 2, "e\u0301\u2026"}}) {
        const std::string clamped = Graphemes::clamped(c.text, c.limit);
        EXPECT_EQ(clamped, c.expected) << c.text << " to " << c.limit;
        EXPECT_LE(Graphemes::count(clamped), c.limit) << c.text;
    }
}

TEST(Graphemes, IllFormedBytesAreCountedNotCrashedOn) {
    const std::string text = "a\xFF\xC3"
                             "b\xE2\x82";
    std::string joined;
    for (const std::string_view piece : Graphemes::split(text)) {
        joined.append(piece);
    }
    EXPECT_EQ(joined, text);
    EXPECT_GE(Graphemes::count(text), 3u);
}

} // namespace
} // namespace nimbrel
