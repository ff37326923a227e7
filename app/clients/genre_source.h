#pragma once

#include <string>
#include <vector>

#include <qcoro/qcorotask.h>

#include "core/matching/genre_tag.h"

namespace nimbrel {

/// Where the engine learns an artist's genres. Looking up never fails: every problem gives no genres.
class GenreSource {
public:
    virtual ~GenreSource() = default;

    /// The artist's genres, possibly none.
    virtual QCoro::Task<std::vector<GenreTag>> genres(std::string artist) = 0;
    /// Every genre the source has seen so far, in the user's sort order; feeds the genre editor.
    virtual std::vector<std::string> observedGenres() const = 0;
};

} // namespace nimbrel
