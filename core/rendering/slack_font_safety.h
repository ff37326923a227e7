#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// Which characters of a decoration Slack's status font may not cover, and why. Advice for the theme
/// editor only: nothing is ever removed or refused because of it. Works on scalars, not characters, so an
/// emoji followed by U+FE0F is checked as two.
struct NIMBREL_CORE_EXPORT SlackFontSafety final {
    SlackFontSafety() = delete;

    /// A closed range of scalar values.
    struct ScalarRange {
        char32_t from;
        char32_t to;

        constexpr bool contains(char32_t scalar) const noexcept { return scalar >= from && scalar <= to; }
        friend constexpr bool operator==(ScalarRange, ScalarRange) noexcept = default;
    };

    /// Halfwidth and Fullwidth Forms: always unsafe, with a reason of their own.
    static constexpr ScalarRange halfwidthFullwidthForms{0xFF00, 0xFFEF};

    /// The blocks Slack's status font covers: Basic Latin (printable), Latin-1 Supplement, Canadian
    /// Syllabics, Phonetic Extensions, General Punctuation, Superscripts and Subscripts, Box Drawing,
    /// Geometric Shapes, Miscellaneous Symbols, Dingbats, Hiragana and Katakana.
    static constexpr std::array<ScalarRange, 11> safeRanges{{
        {0x0020, 0x007E},
        {0x00A0, 0x00FF},
        {0x1400, 0x167F},
        {0x1D00, 0x1D7F},
        {0x2000, 0x206F},
        {0x2070, 0x209F},
        {0x2500, 0x257F},
        {0x25A0, 0x25FF},
        {0x2600, 0x26FF},
        {0x2700, 0x27BF},
        {0x3040, 0x30FF},
    }};

    /// Why a fullwidth form is unsafe.
    static constexpr std::string_view kFullwidthReason =
        "it\u2019s a halfwidth/fullwidth form \u2014 use the ordinary-width character instead";
    /// Why any other unsafe scalar is.
    static constexpr std::string_view kWebFontReason =
        "Slack renders status text in a Latin webfont that may not cover it";

    /// Whether Slack's font covers the scalar.
    static bool isSafe(char32_t scalar) noexcept;
    /// The distinct unsafe scalars of the text, in the order they first occur.
    static std::vector<char32_t> unsafeScalars(std::string_view text);
    /// The reason a scalar is unsafe, as a sentence fragment starting in lower case.
    static std::string_view reason(char32_t scalar) noexcept;
};

} // namespace nimbrel
