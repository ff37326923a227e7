#pragma once

#include <string>
#include <string_view>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// Decides whether an artist name a catalogue returned names the artist that was asked for, tolerating
/// case, accents, "&" against "and", spacing and a leading "The".
struct NIMBREL_CORE_EXPORT ArtistIdentity final {
    ArtistIdentity() = delete;

    /// The comparison form of a name: case and diacritics folded, "&" read as " and ", white space
    /// collapsed, a leading "the " dropped, spaces and tabs trimmed. The genre cache keys artists by it.
    static std::string normalized(std::string_view name);

    /// Whether both names have the same comparison form. A blank queried name matches nothing.
    static bool matches(std::string_view queried, std::string_view returned);
};

} // namespace nimbrel
