#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// A restyling of a status text's letters. Every transform is pure and keeps the number of characters,
/// except that upper-casing one letter can give two ("ß" becomes "SS").
class NIMBREL_CORE_EXPORT TextTransform {
public:
    enum Value { none, alternatingCaps, leet, zalgo, vaporwave };

    constexpr TextTransform(Value value) noexcept // NOLINT(google-explicit-constructor): reads like the enum
        : m_value(value) {}

    static constexpr std::array<TextTransform, 5> allCases() noexcept {
        return {none, alternatingCaps, leet, zalgo, vaporwave};
    }
    /// The transform with exactly this raw value; `none` for any other text.
    static TextTransform fromRawValue(std::string_view rawValue) noexcept;

    constexpr Value value() const noexcept { return m_value; }
    std::string_view rawValue() const noexcept;
    std::string_view displayName() const noexcept;
    std::string_view summary() const noexcept;

    /// Applies this transform; `none` returns the text unchanged.
    std::string apply(std::string_view text) const;

    /// Letters alternate upper and lower case, starting upper; other characters pass and keep the rhythm.
    static std::string applyAlternatingCaps(std::string_view text);
    /// a b e i o s t become 4 8 3 1 0 5 7, in either case.
    static std::string applyLeet(std::string_view text);
    /// Two combining marks after every character that is not white space, in a fixed repeating pattern.
    static std::string applyZalgo(std::string_view text);
    /// Printable ASCII becomes its fullwidth form; the space becomes the ideographic space.
    static std::string applyVaporwave(std::string_view text);

    friend constexpr bool operator==(TextTransform, TextTransform) noexcept = default;

private:
    Value m_value;
};

} // namespace nimbrel
