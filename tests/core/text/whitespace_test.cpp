#include "core/text/whitespace.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

TEST(Whitespace, TrimmingDropsWhiteSpaceAtBothEnds) {
    EXPECT_EQ(Whitespace::trimmed(" \t\r\n\u00A0\u2003\u3000x y\u2028\u0085 "), "x y");
    EXPECT_EQ(Whitespace::trimmed(""), "");
    // Zero-width space is not white space in Unicode's sense.
    EXPECT_EQ(Whitespace::trimmed("\u200Bx"), "\u200Bx");
    // Trimming only spaces and tabs keeps line breaks.
    EXPECT_EQ(Whitespace::trimmedSpacesAndTabs(" \t\u00A0x\n \t"), "x\n");
    EXPECT_EQ(Whitespace::trimmedSpacesAndTabs("\u3000\u2003x\u2009"), "x");
}

TEST(Whitespace, DroppingTrailingWorksByCharacter) {
    EXPECT_EQ(Whitespace::droppingTrailing("ab \t\r\n"), "ab");
    // A space carrying a combining mark is one character that starts with white space.
    EXPECT_EQ(Whitespace::droppingTrailing("ab \u0301"), "ab");
    EXPECT_EQ(Whitespace::droppingTrailing("\U0001F44D\U0001F3FD "), "\U0001F44D\U0001F3FD");
}

TEST(Whitespace, SplitAndCollapse) {
    EXPECT_EQ(Whitespace::split("  a \n\tb  c "), (std::vector<std::string_view>{"a", "b", "c"}));
    EXPECT_TRUE(Whitespace::split(" \r\n ").empty());
    EXPECT_EQ(Whitespace::collapsed("  Song   (Live)\u2003\u2003Edit \n"), "Song (Live) Edit");
}

} // namespace
} // namespace nimbrel
