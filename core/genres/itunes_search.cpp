#include "core/genres/itunes_search.h"

#include <cstdlib>
#include <string>

#include <nlohmann/json.hpp>

#include "core/json/decode_error.h"
#include "core/json/json_reader.h"
#include "core/matching/artist_identity.h"
#include "core/text/whitespace.h"

namespace nimbrel {

ITunesSearch::Envelope ITunesSearch::Envelope::decode(std::string_view body) {
    const nlohmann::json document = parseJsonDocument(body);
    const JsonObjectReader reader(document, JsonPath());
    Envelope envelope;
    if (const nlohmann::json* results = reader.optionalArray("results")) {
        const JsonPath resultsPath = reader.path().key("results");
        envelope.results.reserve(results->size());
        for (std::size_t i = 0; i < results->size(); ++i) {
            envelope.results.push_back(ITunesArtist::fromJson((*results)[i], resultsPath.index(i)));
        }
    }
    return envelope;
}

const Url& ITunesSearch::defaultBaseURL() {
    static const Url kBase = [] {
        std::optional<Url> parsed = Url::parse(kDefaultBaseAddress);
        if (!parsed) {
            // A constant of ours; failing here means the URL component or the constant is broken.
            std::abort();
        }
        return *parsed;
    }();
    return kBase;
}

std::optional<Url> ITunesSearch::searchURL(std::string_view artist, int limit, const Url& base) {
    const std::string_view term = Whitespace::trimmed(artist);
    if (term.empty()) {
        return std::nullopt;
    }
    return base.appendingPathComponents("search").withQueryItems({
        {"term", std::string(term)},
        {"entity", "musicArtist"},
        {"limit", std::to_string(limit)},
    });
}

std::optional<Url> ITunesSearch::searchURL(std::string_view artist, int limit) {
    return searchURL(artist, limit, defaultBaseURL());
}

std::vector<ITunesArtist> ITunesSearch::artists(std::string_view body) {
    return Envelope::decode(body).results;
}

std::optional<std::string> ITunesSearch::genre(std::string_view body, std::string_view forArtist) {
    try {
        return genre(artists(body), forArtist);
    } catch (const DecodeError&) {
        return std::nullopt;
    }
}

std::optional<std::string> ITunesSearch::genre(const std::vector<ITunesArtist>& results, std::string_view forArtist) {
    for (const ITunesArtist& result : results) {
        if (!result.genre || !ArtistIdentity::matches(forArtist, result.name)) {
            continue;
        }
        if (const std::string_view trimmed = Whitespace::trimmed(*result.genre); !trimmed.empty()) {
            return std::string(trimmed);
        }
    }
    return std::nullopt;
}

} // namespace nimbrel
