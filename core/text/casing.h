#pragma once

#include <string>
#include <string_view>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// Locale-independent Unicode case mapping and folding (ICU's root rules). Full mappings apply, so a
/// mapping may change the number of characters: "ß" upper-cases to "SS".
struct NIMBREL_CORE_EXPORT Casing final {
    Casing() = delete;

    static std::string lowercased(std::string_view text);
    static std::string uppercased(std::string_view text);
    /// The form under which texts compare equal ignoring case and diacritics: decomposed, stripped of
    /// nonspacing marks, case-folded and recomposed ("Beyoncé" and "BEYONCE" fold alike).
    static std::string folded(std::string_view text);
};

} // namespace nimbrel
