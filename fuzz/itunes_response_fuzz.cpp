#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/genres/itunes_search.h"
#include "core/json/decode_error.h"
#include "core/text/utf8.h"
#include "core/text/whitespace.h"
#include "fuzz/fuzz_check.h"

using namespace nimbrel;

// Input: the artist asked for, a line break, then the response body. The body form of the genre pick never
// throws; a genre it returns is trimmed text of the body's, and the list form agrees with it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    const std::string_view artist = input.substr(0, newline);
    const std::string_view body = newline == std::string_view::npos ? std::string_view{} : input.substr(newline + 1);

    const std::optional<std::string> genre = ITunesSearch::genre(body, artist);
    if (genre) {
        FUZZ_CHECK(!genre->empty());
        FUZZ_CHECK(Whitespace::trimmed(*genre).size() == genre->size());
        FUZZ_CHECK(Utf8::isValid(*genre));
    }
    try {
        const std::vector<ITunesArtist> results = ITunesSearch::artists(body);
        FUZZ_CHECK(ITunesSearch::genre(results, artist) == genre);
    } catch (const DecodeError&) {
        FUZZ_CHECK(!genre);
    }
    (void)ITunesSearch::searchURL(artist);
    return 0;
}
