#include "core/rendering/slack_font_safety.h"

#include <algorithm>

#include "core/text/utf8.h"

namespace nimbrel {

bool SlackFontSafety::isSafe(char32_t scalar) noexcept {
    // Checked first: the fullwidth forms must never be rescued by a wider safe range.
    if (halfwidthFullwidthForms.contains(scalar)) {
        return false;
    }
    return std::any_of(safeRanges.begin(), safeRanges.end(),
                       [scalar](ScalarRange range) { return range.contains(scalar); });
}

std::vector<char32_t> SlackFontSafety::unsafeScalars(std::string_view text) {
    std::vector<char32_t> unsafe;
    for (std::size_t offset = 0; offset < text.size();) {
        const char32_t scalar = Utf8::decodeNext(text, offset);
        if (!isSafe(scalar) && std::find(unsafe.begin(), unsafe.end(), scalar) == unsafe.end()) {
            unsafe.push_back(scalar);
        }
    }
    return unsafe;
}

std::string_view SlackFontSafety::reason(char32_t scalar) noexcept {
    return halfwidthFullwidthForms.contains(scalar) ? kFullwidthReason : kWebFontReason;
}

} // namespace nimbrel
