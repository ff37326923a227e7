#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// One genre of an artist, as its source named it, with an optional weight. Nimbrel's own genre source
/// gives at most one tag per artist and no weights.
struct NIMBREL_CORE_EXPORT GenreTag {
    /// Not normalised.
    std::string name;
    /// How strongly the genre applies. An absent weight differs from every present one, 0 included.
    std::optional<std::int64_t> weight;

    friend bool operator==(const GenreTag&, const GenreTag&) = default;
};

} // namespace nimbrel

/// Hashes both fields, so that tags can key sets and maps.
template <>
struct NIMBREL_CORE_EXPORT std::hash<nimbrel::GenreTag> {
    std::size_t operator()(const nimbrel::GenreTag& tag) const noexcept;
};
