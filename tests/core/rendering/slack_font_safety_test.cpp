#include "core/rendering/slack_font_safety.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/text/utf8.h"
#include "core/theme/status_theme.h"

namespace nimbrel {
namespace {

TEST(SlackFontSafetyIsSafe, RangeBoundaries) {
    struct Case {
        char32_t scalar;
        bool safe;
    };
    const std::vector<Case> cases = {
        {0x001F, false}, {0x0020, true},  {0x007E, true},  {0x007F, false}, {0x009F, false},  {0x00A0, true},
        {0x00FF, true},  {0x0100, false}, {0x13FF, false}, {0x1400, true},  {0x167F, true},   {0x1680, false},
        {0x1CFF, false}, {0x1D00, true},  {0x1D7F, true},  {0x1D80, false}, {0x1FFF, false},  {0x2000, true},
        {0x209F, true},  {0x20A0, false}, {0x24FF, false}, {0x2500, true},  {0x257F, true},   {0x2580, false},
        {0x259F, false}, {0x25A0, true},  {0x27BF, true},  {0x27C0, false}, {0x303F, false},  {0x3040, true},
        {0x30FF, true},  {0x3100, false}, {0x0009, false}, {0x000A, false}, {0xFE0F, false},  {0xFEFF, false},
        {0xFF00, false}, {0xFF21, false}, {0xFFEF, false}, {0xFFF0, false}, {0x1F3A7, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SlackFontSafety::isSafe(c.scalar), c.safe) << std::hex << "U+" << static_cast<unsigned>(c.scalar);
    }
}

TEST(SlackFontSafetyReason, FullwidthFormsHaveTheirOwn) {
    for (const char32_t scalar : {U'\uFF00', U'\uFF21', U'\uFFEF'}) {
        EXPECT_EQ(SlackFontSafety::reason(scalar), SlackFontSafety::kFullwidthReason);
    }
    for (const char32_t scalar : {U'\uFFF0', U'\U0001F3A7', U'A'}) { // meant for unsafe scalars, but total
        EXPECT_EQ(SlackFontSafety::reason(scalar), SlackFontSafety::kWebFontReason);
    }
}

TEST(SlackFontSafetyUnsafeScalars, Cases) {
    struct Case {
        std::string name;
        std::string text;
        std::u32string expected;
    };
    const std::vector<Case> cases = {
        {"empty", "", U""},
        {"ascii", "xX_ scene _Xx", U""},
        {"vaporwave output", TextTransform::applyVaporwave("Hi!"), U"\uFF28\uFF49\uFF01"},
        {"repeated emoji listed once", "\U0001F3A7 a \U0001F3A7 b \U0001F3A7", U"\U0001F3A7"},
        {"emoji with selector", "\U0001F399\uFE0F", U"\U0001F399\uFE0F"},
        {"symbol in range with selector", "\u2600\uFE0F", U"\uFE0F"},
        {"control characters", "a\tb\nc", U"\t\n"},
        {"skin tone", "\U0001F44D\U0001F3FD", U"\U0001F44D\U0001F3FD"},
        {"ideographic space of vaporwave", "\uFF21\u3000\uFF22", U"\uFF21\u3000\uFF22"},
    };
    for (const Case& c : cases) {
        const std::vector<char32_t> found = SlackFontSafety::unsafeScalars(c.text);
        EXPECT_EQ(std::u32string(found.begin(), found.end()), c.expected) << c.name;
    }
}

// Devo DJ is among the built-ins, and its prefix holds the menu-bar cat.
TEST(SlackFontSafetyUnsafeScalars, BuiltInDecorationsAreSafe) {
    for (const StatusTheme& theme : StatusTheme::builtIns()) {
        EXPECT_TRUE(SlackFontSafety::unsafeScalars(theme.prefix).empty()) << theme.id << " prefix";
        EXPECT_TRUE(SlackFontSafety::unsafeScalars(theme.suffix).empty()) << theme.id << " suffix";
    }
}

TEST(SlackFontSafetyTables, RangesAreOrderedAndDisjoint) {
    for (std::size_t i = 1; i < SlackFontSafety::safeRanges.size(); ++i) {
        EXPECT_LT(SlackFontSafety::safeRanges[i - 1].to, SlackFontSafety::safeRanges[i].from);
    }
}

} // namespace
} // namespace nimbrel
