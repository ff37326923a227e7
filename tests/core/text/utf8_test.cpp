#include "core/text/utf8.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

TEST(Utf8, RoundTripsEveryPlane) {
    const std::u32string scalars = {U'a', U'\u00E9', U'\u20AC', U'\U0001F3B5', U'\U0010FFFF'};
    const std::string encoded = Utf8::encode(scalars);
    EXPECT_EQ(encoded, "a\u00E9\u20AC\U0001F3B5\U0010FFFF");
    EXPECT_EQ(Utf8::decode(encoded), scalars);
    EXPECT_TRUE(Utf8::isValid(encoded));
}

TEST(Utf8, IllFormedInputBecomesReplacementCharacters) {
    const std::string bad = "a\xC3(\xED\xA0\x80z\xF0\x9F";
    EXPECT_FALSE(Utf8::isValid(bad));
    const std::string clean = Utf8::sanitized(bad);
    EXPECT_TRUE(Utf8::isValid(clean));
    EXPECT_EQ(clean.front(), 'a');
    EXPECT_NE(clean.find('z'), std::string::npos);
    EXPECT_EQ(Utf8::firstScalar("\xFF"), Utf8::kReplacementCharacter);
    EXPECT_EQ(Utf8::firstScalar(""), 0u);
}

TEST(Utf8, SurrogatesAreNotEncoded) {
    std::string out;
    Utf8::append(out, 0xD800);
    EXPECT_EQ(out, "\uFFFD");
}

} // namespace
} // namespace nimbrel
