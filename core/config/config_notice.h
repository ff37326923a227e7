#pragma once

#include <string>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// Something the configuration decoder let pass without failing but did not take as written: a value it
/// dropped or replaced, or a key it ignored. The next save writes the configuration without it, so a user
/// who edits the file by hand wants to hear about it.
struct NIMBREL_CORE_EXPORT ConfigNotice {
    enum class Kind {
        /// A key the document does not use (commentary keys beginning with "_" are not reported).
        unknownKey,
        /// A key of the older layout that fed a setting's value.
        legacyKeyUsed,
        /// A key of the older layout that was not read because its newer key is set.
        legacyKeyIgnored,
        /// A "when_music_stops" text that is none of the known values.
        unknownWhenMusicStops,
        /// A player name that is not known.
        unknownSource,
        /// A player listed a second time.
        repeatedSource,
        /// A default theme id that names no theme.
        unknownTheme,
        /// A vibe's theme id that names no theme.
        unknownVibeTheme,
        /// A custom theme's transform that is none of the known transforms.
        unknownTransform,
    };

    Kind kind;
    /// Where in the document: a key path such as `vibes[2].theme`.
    std::string path;
    /// What the document holds there: the text as written, the key for an unknown key, or the JSON value
    /// of a key of the older layout.
    std::string value;
    /// The value used instead, where there is one (for a key of the older layout: the value it gave).
    std::string replacement;

    friend bool operator==(const ConfigNotice&, const ConfigNotice&) = default;

    /// One sentence for the user, starting with the path: `sources[1]: "itunes" is not a player …`.
    std::string message() const;
};

} // namespace nimbrel
