#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/genres/itunes_artist.h"
#include "core/nimbrel_core_export.h"
#include "core/url/url.h"

namespace nimbrel {

/// The platform-free half of the iTunes Search API: addressing an artist search, reading the answer and
/// picking the genre of the wanted artist from it. The exchange itself belongs to the genre client.
struct NIMBREL_CORE_EXPORT ITunesSearch final {
    ITunesSearch() = delete;

    /// The lookup budget of the genre client: this many searches per minute.
    static constexpr int requestsPerMinute = 20;
    /// How many results one search asks for.
    static constexpr int resultLimit = 5;
    /// The public service; tests and other deployments pass their own base address.
    static constexpr std::string_view kDefaultBaseAddress = "https://itunes.apple.com";

    /// The top-level answer: its "results" (a missing list reads as empty). Other keys are ignored.
    struct NIMBREL_CORE_EXPORT Envelope {
        std::vector<ITunesArtist> results;

        friend bool operator==(const Envelope&, const Envelope&) = default;

        /// Strict: the body must be a JSON object and every result must decode. Throws DecodeError.
        static Envelope decode(std::string_view body);
    };

    /// `kDefaultBaseAddress`, parsed.
    static const Url& defaultBaseURL();

    /// The search address for an artist under `base` ("…/search?term=…&entity=musicArtist&limit=…"), or
    /// none when the artist is blank. The trimmed artist is percent-encoded so that the service receives
    /// it unchanged, "&" and "+" included.
    static std::optional<Url> searchURL(std::string_view artist, int limit, const Url& base);
    /// The search address under the public service.
    static std::optional<Url> searchURL(std::string_view artist, int limit = resultLimit);

    /// The decoded results of an answer. Throws DecodeError when the body does not decode.
    static std::vector<ITunesArtist> artists(std::string_view body);
    /// The genre of the first result that names the artist asked for and has a non-blank genre, trimmed.
    /// None for an undecodable body: a bad answer is a miss, never an error.
    static std::optional<std::string> genre(std::string_view body, std::string_view forArtist);
    /// The same pick over results already decoded.
    static std::optional<std::string> genre(const std::vector<ITunesArtist>& results, std::string_view forArtist);
};

} // namespace nimbrel
