#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/rendering/status_text.h"
#include "core/text/casing.h"
#include "core/text/graphemes.h"
#include "core/text/utf8.h"
#include "core/text/whitespace.h"
#include "core/theme/text_transform.h"
#include "fuzz/fuzz_check.h"

using namespace nimbrel;

// Any bytes: segmentation covers the input exactly, trimming returns a piece of it, the transforms keep
// the character count (except case mapping, which may grow) and produce valid UTF-8 from valid input.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    std::size_t covered = 0;
    for (const std::string_view character : Graphemes::split(text)) {
        FUZZ_CHECK(!character.empty());
        FUZZ_CHECK(character.data() == text.data() + covered);
        covered += character.size();
    }
    FUZZ_CHECK(covered == text.size());
    const std::size_t characters = Graphemes::count(text);
    FUZZ_CHECK(characters <= text.size());
    FUZZ_CHECK(Graphemes::prefix(text, characters / 2).size() <= text.size());

    const std::string_view trimmed = Whitespace::trimmed(text);
    FUZZ_CHECK(trimmed.data() >= text.data() && trimmed.data() + trimmed.size() <= text.data() + text.size());
    FUZZ_CHECK(Whitespace::droppingTrailing(text).size() <= text.size());

    const std::string clean = Utf8::sanitized(text);
    FUZZ_CHECK(Utf8::isValid(clean));
    const std::size_t cleanCharacters = Graphemes::count(clean);
    for (const TextTransform transform : TextTransform::allCases()) {
        const std::string out = transform.apply(clean);
        FUZZ_CHECK(Utf8::isValid(out));
        if (transform != TextTransform::alternatingCaps) {
            FUZZ_CHECK(Graphemes::count(out) == cleanCharacters);
        }
    }
    FUZZ_CHECK(Utf8::isValid(Casing::folded(clean)));
    FUZZ_CHECK(Utf8::isValid(Casing::uppercased(clean)));

    for (const int limit : {0, 1, 2, 50, StatusText::slackLimit}) {
        const std::string clamped = StatusText::clamp(clean, limit);
        FUZZ_CHECK(Graphemes::count(clamped) <= static_cast<std::size_t>(limit));
        FUZZ_CHECK(Utf8::isValid(clamped));
    }
    return 0;
}
