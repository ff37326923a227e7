#pragma once

#include <string_view>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// Ordering of texts for lists shown to the user: by the rules of the user's locale (ICU's default locale,
/// taken from the environment), ignoring case but not accents.
struct NIMBREL_CORE_EXPORT Collation final {
    Collation() = delete;

    /// Negative, zero or positive as `a` sorts before, together with, or after `b`.
    static int localizedCaseInsensitiveCompare(std::string_view a, std::string_view b);
    /// Whether `a` sorts strictly before `b`; usable as a sort predicate.
    static bool localizedCaseInsensitiveLess(std::string_view a, std::string_view b);
};

} // namespace nimbrel
