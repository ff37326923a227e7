#include "core/text/utf8.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

// Well-formed text round-trips; each maximal ill-formed subpart becomes one U+FFFD: overlong forms, surrogates and
// values above U+10FFFF never decode to the scalar they seem to spell (an overlong "/" must not become "/").
TEST(Utf8, IllFormedSequencesDecodeOneReplacementPerMaximalSubpart) {
    const char32_t r = Utf8::kReplacementCharacter;
    const struct {
        const char* label;
        std::string bytes;
        std::u32string scalars;
    } cases[] = {
        {"overlong slash", "\xC0\xAF", {r, r}},
        {"overlong three-byte slash", "\xE0\x80\xAF", {r, r, r}},
        {"encoded surrogate", "\xED\xA0\x80", {r, r, r}},
        {"above U+10FFFF", "\xF4\x90\x80\x80", {r, r, r, r}},
        {"lead byte F5", "\xF5\x80", {r, r}},
        {"mixed", "a\xC3(\xED\xA0\x80z", {U'a', r, U'(', r, r, r, U'z'}},
        {"lone continuation", "\x80x", {r, U'x'}},
        {"truncated four-byte at the end", "\xF0\x9F\x8E", {r}},
        {"truncated three-byte before ASCII", std::string("\xE2\x82") + "A", {r, U'A'}},
        {"every plane",
         "a\u00E9\u20AC\U0001F3B5\U0010FFFF",
         {U'a', U'\u00E9', U'\u20AC', U'\U0001F3B5', U'\U0010FFFF'}},
        {"NUL is a scalar", std::string("\0", 1), {U'\0'}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8::decode(c.bytes), c.scalars) << c.label;
        const bool wellFormed = c.scalars.find(r) == std::u32string::npos;
        EXPECT_EQ(Utf8::isValid(c.bytes), wellFormed) << c.label;
        EXPECT_EQ(Utf8::encode(c.scalars) == c.bytes, wellFormed) << c.label;
        EXPECT_EQ(Utf8::sanitized(c.bytes), Utf8::encode(c.scalars)) << c.label;
    }
}

// Every two-byte string: decoding always moves forward, sanitizing gives valid text and leaves valid text
// alone, and encoding what was decoded gives the sanitized text.
TEST(Utf8, EveryTwoByteStringDecodesConsistently) {
    for (int first = 0; first < 256; ++first) {
        for (int second = 0; second < 256; ++second) {
            const std::string bytes = {static_cast<char>(first), static_cast<char>(second)};
            const std::string clean = Utf8::sanitized(bytes);
            ASSERT_TRUE(Utf8::isValid(clean)) << first << " " << second;
            ASSERT_EQ(Utf8::isValid(bytes), clean == bytes) << first << " " << second;
            ASSERT_EQ(Utf8::encode(Utf8::decode(bytes)), clean) << first << " " << second;
        }
    }
}

TEST(Utf8, ScalarsOutsideTheCodeSpaceEncodeAsReplacement) {
    EXPECT_EQ(Utf8::encode(std::u32string{0x110000, 0xD800, 0xDFFF, 0xFFFFFFFF, 0xE000}),
              "\uFFFD\uFFFD\uFFFD\uFFFD\uE000");
    EXPECT_EQ(Utf8::firstScalar("\xFF"), Utf8::kReplacementCharacter);
    EXPECT_EQ(Utf8::firstScalar(""), 0u);
    EXPECT_FALSE(Utf8::isAscii("a\x80"));
}

} // namespace
} // namespace nimbrel
