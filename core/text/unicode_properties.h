#pragma once

#include <string_view>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// Unicode character properties from ICU. The overloads taking a character (one grapheme cluster) judge it
/// by its first scalar, so "e" followed by a combining accent is a letter and a flag is an emoji.
struct NIMBREL_CORE_EXPORT UnicodeProperties final {
    UnicodeProperties() = delete;

    /// The Alphabetic property: letters of every script, letter numbers such as Roman numerals.
    static bool isLetter(char32_t scalar);
    static bool isLetter(std::string_view character);
    /// Any numeric type: decimal digits, other digits, fractions, numerals.
    static bool isNumber(char32_t scalar);
    static bool isNumber(std::string_view character);
    /// The White_Space property: spaces of every width, tabs and line breaks.
    static bool isWhitespace(char32_t scalar);
    static bool isWhitespace(std::string_view character);
    /// A space separator (general category Zs) or a tab; no line breaks.
    static bool isSpaceOrTab(char32_t scalar);
    /// The Emoji property (which digits, "#" and "*" also have).
    static bool isEmoji(char32_t scalar);
    /// The Emoji_Presentation property: shown as an emoji without a variation selector.
    static bool isEmojiPresentation(char32_t scalar);
    /// A control character for segmentation (Grapheme_Cluster_Break Control, CR or LF): nothing joins
    /// it, so a combining mark after one stands alone as a character of its own.
    static bool isGraphemeControl(char32_t scalar);
    /// A nonspacing combining mark (general category Mn).
    static bool isNonspacingMark(char32_t scalar);
};

} // namespace nimbrel
