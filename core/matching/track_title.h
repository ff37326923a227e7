#pragma once

#include <set>
#include <string>
#include <string_view>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// Turns a track title as a player reports it into the bare title a catalogue search should use, dropping
/// version and featuring descriptors: "Song (Remastered 2011)", "Song [Live]", "Song (feat. Someone)" and
/// "Song - Radio Edit" all become "Song".
struct NIMBREL_CORE_EXPORT TrackTitle final {
    TrackTitle() = delete;

    /// Words that mark a version of a track wherever they stand in a descriptor ("remaster", "live", …).
    static const std::set<std::string, std::less<>>& versionWords();
    /// Words that mark a featured artist when they open a descriptor ("feat", "ft", "featuring", "with").
    static const std::set<std::string, std::less<>>& featuringWords();

    /// Whether the text names a version or a featured artist: its first word is a featuring word, or any
    /// of its words is a version word. Words are runs of letters and numbers, compared in lower case.
    static bool isDescriptor(std::string_view text);

    /// The cleaned title, possibly empty. Bracket groups that are descriptors are dropped, a " - " suffix
    /// that is a descriptor is cut, and white space is collapsed.
    static std::string forLookup(std::string_view title);
};

} // namespace nimbrel
