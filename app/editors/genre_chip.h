#pragma once

#include <string>

namespace nimbrel {

/// One of the playing artist's genres as the preview offers it: whether the selected vibe already has it,
/// and whether one click can add it there.
struct GenreChip {
    std::string text;
    /// The selected vibe has the genre as a keyword (ignoring case).
    bool isMapped = false;
    /// A vibe is selected, so the genre can be added to it.
    bool isAddable = false;
    std::string toolTip;

    friend bool operator==(const GenreChip&, const GenreChip&) = default;
};

} // namespace nimbrel
