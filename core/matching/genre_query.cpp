#include "core/matching/genre_query.h"

#include "core/matching/track_title.h"

namespace nimbrel {

std::optional<std::string> GenreQuery::lookupTrack() const {
    if (!track) {
        return std::nullopt;
    }
    std::string cleaned = TrackTitle::forLookup(*track);
    if (cleaned.empty()) {
        return std::nullopt;
    }
    return cleaned;
}

} // namespace nimbrel
