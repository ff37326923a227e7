#include "core/genres/itunes_artist.h"

#include <nlohmann/json.hpp>

namespace nimbrel {

ITunesArtist ITunesArtist::fromJson(const nlohmann::json& json, const JsonPath& path) {
    const JsonObjectReader reader(json, path);
    ITunesArtist artist;
    artist.name = reader.requiredString("artistName");
    artist.genre = reader.optionalString("primaryGenreName");
    artist.id = reader.optionalInt("artistId");
    return artist;
}

} // namespace nimbrel
