#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/nimbrel_core_export.h"
#include "core/text/view_safety.h"

namespace nimbrel {

/// Trimming and splitting at white space, in the two flavours Nimbrel uses: Unicode white space with
/// line breaks, and spaces and tabs only (line breaks kept). All views point into the argument.
struct NIMBREL_CORE_EXPORT Whitespace final {
    Whitespace() = delete;

    /// Drops white space and line breaks (the White_Space property) from both ends, scalar by scalar.
    static std::string_view trimmed(std::string_view text);
    /// Drops spaces and tabs from both ends; line breaks stay.
    static std::string_view trimmedSpacesAndTabs(std::string_view text);
    /// Drops characters from the end for as long as the last one is white space (line breaks included).
    static std::string_view droppingTrailing(std::string_view text);
    /// The pieces between runs of white-space characters, without empty pieces.
    static std::vector<std::string_view> split(std::string_view text);
    template <detail::TemporaryString T>
    static std::string_view trimmed(T&&) = delete;
    template <detail::TemporaryString T>
    static std::string_view trimmedSpacesAndTabs(T&&) = delete;
    template <detail::TemporaryString T>
    static std::string_view droppingTrailing(T&&) = delete;
    template <detail::TemporaryString T>
    static std::vector<std::string_view> split(T&&) = delete;

    /// The pieces of `split` joined with single spaces: trims both ends and collapses inner runs.
    static std::string collapsed(std::string_view text);
};

} // namespace nimbrel
