#include "core/theme/text_transform.h"

#include <gtest/gtest.h>

#include "core/text/graphemes.h"
#include "core/text/utf8.h"

namespace nimbrel {
namespace {

TEST(TextTransform, ExamplesGiveExactOutputs) {
    const struct {
        TextTransform transform;
        std::string input;
        std::string expected;
    } cases[] = {
        {TextTransform::alternatingCaps, "hello, world", "HeLlO, wOrLd"},
        {TextTransform::alternatingCaps, "\u00DF\u00DF", "SS\u00DF"},
        {TextTransform::alternatingCaps, "1a2b", "1A2b"},
        {TextTransform::leet, "Bassline Test", "8455l1n3 7357"},
        {TextTransform::leet, "\u00C9t\u00E9", "\u00C97\u00E9"},
        {TextTransform::zalgo, "ab c", "a\u0300\u0316b\u0301\u0317 c\u0302\u0323"},
        // Marks cannot join a control character; they would add characters of their own.
        {TextTransform::zalgo, std::string("a\0b", 3) + "\u200Bc",
         std::string("a\u0300\u0316\0b\u0301\u0317", 11) + "\u200Bc\u0302\u0323"},
        {TextTransform::vaporwave, "a b\n\u00E9~", "\uFF41\u3000\uFF42\n\u00E9\uFF5E"},
        {TextTransform::none, "As \u00CDs", "As \u00CDs"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.transform.apply(c.input), c.expected) << c.transform.rawValue() << ": " << c.input;
    }
    for (const TextTransform transform : TextTransform::allCases()) {
        EXPECT_EQ(transform.apply(""), "") << transform.rawValue();
    }
}

TEST(TextTransform, ZalgoPatternRepeatsEveryFortyTwoCharacters) {
    const std::string text(84, 'x');
    const std::u32string scalars = Utf8::decode(TextTransform::applyZalgo(text));
    ASSERT_EQ(scalars.size(), 84u * 3);
    for (std::size_t i = 0; i < 42; ++i) {
        EXPECT_EQ(scalars[i * 3 + 1], scalars[(i + 42) * 3 + 1]);
        EXPECT_EQ(scalars[i * 3 + 2], scalars[(i + 42) * 3 + 2]);
    }
    EXPECT_EQ(scalars[6 * 3 + 1], U'\u0307'); // the seventh above mark
    EXPECT_EQ(scalars[6 * 3 + 2], U'\u0316'); // below marks wrap after six
}

// Transforms keep the number of characters on hard text; only the case mapping of letters like "ß" may grow.
TEST(TextTransform, KeepCharacterCountsOnEmojiAndCombiningMarks) {
    const std::string text = "Caf\u00E9 e\u0301\u0323 \U0001F44D\U0001F3FD \U0001F1EF\U0001F1F5 "
                             "\U0001F468\u200D\U0001F469\u200D\U0001F467 1\uFE0F\u20E3 \u30CE\u309A \u2026 tab\there";
    const std::size_t characters = Graphemes::count(text);
    for (const TextTransform transform : TextTransform::allCases()) {
        const std::string out = transform.apply(text);
        EXPECT_EQ(Graphemes::count(out), characters) << transform.rawValue();
        EXPECT_TRUE(Utf8::isValid(out)) << transform.rawValue();
    }
    // Zalgo grows by exactly two scalars per character that is not white space.
    const std::size_t nonWhite = characters - 9; // eight spaces and a tab
    EXPECT_EQ(Utf8::decode(TextTransform::applyZalgo(text)).size(), Utf8::decode(text).size() + 2 * nonWhite);
}

} // namespace
} // namespace nimbrel
