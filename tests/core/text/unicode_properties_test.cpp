#include "core/text/unicode_properties.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

TEST(UnicodeProperties, LettersAndNumbers) {
    for (const char32_t letter : {U'a', U'Z', U'\u00DF', U'\u30CE', U'\u0416', U'\u2167'}) {
        EXPECT_TRUE(UnicodeProperties::isLetter(letter)) << static_cast<unsigned>(letter);
    }
    for (const char32_t other : {U'1', U'-', U' ', U'\u2727', U'\U0001F3B5'}) {
        EXPECT_FALSE(UnicodeProperties::isLetter(other)) << static_cast<unsigned>(other);
    }
    for (const char32_t number : {U'0', U'9', U'\u00BD', U'\u0663', U'\u2167'}) {
        EXPECT_TRUE(UnicodeProperties::isNumber(number)) << static_cast<unsigned>(number);
    }
    EXPECT_FALSE(UnicodeProperties::isNumber(U'x'));
}

TEST(UnicodeProperties, CharactersAreJudgedByTheirFirstScalar) {
    EXPECT_TRUE(UnicodeProperties::isLetter("e\u0301"));
    EXPECT_TRUE(UnicodeProperties::isNumber("1\uFE0F\u20E3"));
    EXPECT_TRUE(UnicodeProperties::isWhitespace("\r\n"));
    EXPECT_FALSE(UnicodeProperties::isLetter(""));
}

TEST(UnicodeProperties, EmojiProperties) {
    EXPECT_TRUE(UnicodeProperties::isEmojiPresentation(U'\U0001F3A7'));
    EXPECT_TRUE(UnicodeProperties::isEmoji(U'\u2764'));
    EXPECT_FALSE(UnicodeProperties::isEmojiPresentation(U'\u2764'));
    // Digits, "#" and "*" carry the Emoji property because of keycaps.
    EXPECT_TRUE(UnicodeProperties::isEmoji(U'7'));
    EXPECT_TRUE(UnicodeProperties::isEmoji(U'#'));
    EXPECT_FALSE(UnicodeProperties::isEmojiPresentation(U'7'));
    EXPECT_FALSE(UnicodeProperties::isEmoji(U'a'));
}

TEST(UnicodeProperties, GraphemeControls) {
    for (const char32_t control : {U'\0', U'\r', U'\n', U'\u001F', U'\u200B', U'\u2028'}) {
        EXPECT_TRUE(UnicodeProperties::isGraphemeControl(control)) << static_cast<unsigned>(control);
    }
    for (const char32_t other : {U'a', U' ', U'\u200D', U'\u0301', U'\U0001F3B5'}) {
        EXPECT_FALSE(UnicodeProperties::isGraphemeControl(other)) << static_cast<unsigned>(other);
    }
}

TEST(UnicodeProperties, SpaceOrTabExcludesLineBreaks) {
    EXPECT_TRUE(UnicodeProperties::isSpaceOrTab(U'\t'));
    EXPECT_TRUE(UnicodeProperties::isSpaceOrTab(U'\u00A0'));
    EXPECT_FALSE(UnicodeProperties::isSpaceOrTab(U'\n'));
    EXPECT_FALSE(UnicodeProperties::isSpaceOrTab(U'\u2028'));
    EXPECT_TRUE(UnicodeProperties::isWhitespace(U'\u2028'));
}

} // namespace
} // namespace nimbrel
