#include "core/text/unicode_properties.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

TEST(UnicodeProperties, ScalarProperties) {
    using P = UnicodeProperties;
    const struct {
        bool (*property)(char32_t);
        const char* name;
        std::u32string yes;
        std::u32string no;
    } cases[] = {
        {P::isLetter, "letter", U"aZ\u00DF\u30CE\u0416\u2167", U"1- \u2727\U0001F3B5"},
        {P::isNumber, "number", U"09\u00BD\u0663\u2167", U"x"},
        // Digits, "#" and "*" carry the Emoji property because of keycaps.
        {P::isEmoji, "emoji", U"\u27647#\U0001F3A7", U"a"},
        {P::isEmojiPresentation, "emoji presentation", U"\U0001F3A7", U"\u27647"},
        {P::isGraphemeControl, "control", std::u32string(U"\0\r\n\u001F\u200B\u2028", 6), U"a \u200D\u0301\U0001F3B5"},
        {P::isSpaceOrTab, "space or tab", U"\t\u00A0", U"\n\u2028"},
        {P::isWhitespace, "white space", U"\u2028 \n", U"\u200Bx"},
    };
    for (const auto& c : cases) {
        for (const char32_t scalar : c.yes) {
            EXPECT_TRUE(c.property(scalar)) << c.name << " " << static_cast<unsigned>(scalar);
        }
        for (const char32_t scalar : c.no) {
            EXPECT_FALSE(c.property(scalar)) << c.name << " " << static_cast<unsigned>(scalar);
        }
    }
}

TEST(UnicodeProperties, CharactersAreJudgedByTheirFirstScalar) {
    EXPECT_TRUE(UnicodeProperties::isLetter("e\u0301"));
    EXPECT_TRUE(UnicodeProperties::isNumber("1\uFE0F\u20E3"));
    EXPECT_TRUE(UnicodeProperties::isWhitespace("\r\n"));
    EXPECT_FALSE(UnicodeProperties::isLetter(""));
}

} // namespace
} // namespace nimbrel
