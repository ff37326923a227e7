#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// UTF-8 encoding and decoding of Unicode scalars. Nothing here fails: an ill-formed sequence decodes as
/// U+FFFD, so text from players, files and the network can be handled without checking it first.
struct NIMBREL_CORE_EXPORT Utf8 final {
    Utf8() = delete;

    static constexpr char32_t kReplacementCharacter = 0xFFFD;

    /// The scalar that starts at `offset`; moves `offset` past it (one maximal ill-formed subpart at a time).
    static char32_t decodeNext(std::string_view text, std::size_t& offset);
    /// The first scalar of the text, or 0 when the text is empty.
    static char32_t firstScalar(std::string_view text);
    /// Every scalar of the text.
    static std::u32string decode(std::string_view text);
    /// Appends the UTF-8 form of a scalar; surrogates and values above U+10FFFF append U+FFFD.
    static void append(std::string& out, char32_t scalar);
    static std::string encode(std::u32string_view scalars);
    /// Whether every byte is below 0x80; such text needs no Unicode machinery.
    static bool isAscii(std::string_view text);
    /// Whether the text is well-formed UTF-8.
    static bool isValid(std::string_view text);
    /// The text with every ill-formed sequence replaced by U+FFFD.
    static std::string sanitized(std::string_view text);
};

} // namespace nimbrel
