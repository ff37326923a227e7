#include "core/rendering/status_text.h"

#include <gtest/gtest.h>

#include "core/text/graphemes.h"

namespace nimbrel {
namespace {

TEST(StatusText, ClampKeepsShortTextAndCutsLongTextByCharacter) {
    const std::string hundred(100, 'x');
    EXPECT_EQ(StatusText::clamp(hundred, StatusText::slackLimit), hundred);
    const std::string clamped = StatusText::clamp(hundred + "y", StatusText::slackLimit);
    EXPECT_EQ(clamped, std::string(99, 'x') + "\u2026");
    EXPECT_EQ(Graphemes::count(clamped), 100u);

    EXPECT_EQ(StatusText::clamp("abc", 0), "");
    EXPECT_EQ(StatusText::clamp("abc", -5), "");
    EXPECT_EQ(StatusText::clamp("", 0), "");
    EXPECT_EQ(StatusText::clamp("abc", 1), "\u2026");
    EXPECT_EQ(StatusText::clamp("abc", 3), "abc");
    // Clusters are never split: a skin-toned emoji counts once and is kept or dropped whole.
    EXPECT_EQ(StatusText::clamp("\U0001F44D\U0001F3FD\U0001F44D\U0001F3FD\U0001F44D\U0001F3FD", 2),
              "\U0001F44D\U0001F3FD\u2026");
    EXPECT_EQ(StatusText::clamp("\U0001F44D\U0001F3FDab", 3), "\U0001F44D\U0001F3FDab");
}

} // namespace
} // namespace nimbrel
