#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/nimbrel_core_export.h"
#include "core/text/view_safety.h"

namespace nimbrel {

/// Text measured in user-perceived characters: Unicode extended grapheme clusters, as ICU's character
/// break iterator finds them. An emoji with a skin tone, a flag, a ZWJ family, a keycap, CR LF, or a letter
/// with any number of combining marks is one character. Every length limit in Nimbrel counts these.
///
/// All views returned point into the argument. Ill-formed UTF-8 is segmented as if each bad byte were
/// U+FFFD, so any byte string can be measured.
struct NIMBREL_CORE_EXPORT Graphemes final {
    Graphemes() = delete;

    /// The number of characters in the text.
    static std::size_t count(std::string_view text);
    /// The characters of the text, in order.
    static std::vector<std::string_view> split(std::string_view text);
    /// The byte offsets where characters begin, followed by the text's size (so never empty).
    static std::vector<std::size_t> boundaries(std::string_view text);
    /// The first `n` characters (the whole text when it has fewer).
    static std::string_view prefix(std::string_view text, std::size_t n);
    /// The text without its last `n` characters (empty when it has fewer).
    static std::string_view droppingLast(std::string_view text, std::size_t n);
    /// The last character, or the empty view.
    static std::string_view last(std::string_view text);
    /// The one mark of shortening, counted as one character.
    static constexpr std::string_view kEllipsis = "\u2026";
    /// The text when it has at most `n` characters; empty when `n` is 0; otherwise its first `n` - 1
    /// characters followed by `kEllipsis`.
    static std::string clamped(std::string_view text, std::size_t n);

    template <detail::TemporaryString T>
    static std::vector<std::string_view> split(T&&) = delete;
    template <detail::TemporaryString T>
    static std::string_view prefix(T&&, std::size_t) = delete;
    template <detail::TemporaryString T>
    static std::string_view droppingLast(T&&, std::size_t) = delete;
    template <detail::TemporaryString T>
    static std::string_view last(T&&) = delete;
};

} // namespace nimbrel
