#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/genres/genre_cache.h"
#include "core/matching/artist_identity.h"
#include "core/matching/track_title.h"
#include "core/text/utf8.h"
#include "fuzz/fuzz_check.h"

using namespace nimbrel;

// Titles and artist names from players are arbitrary text: cleaning never crashes, keeps valid UTF-8
// valid, never grows a title, and every name that is not blank matches itself.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = Utf8::sanitized(std::string_view(reinterpret_cast<const char*>(data), size));

    const std::string title = TrackTitle::forLookup(text);
    FUZZ_CHECK(Utf8::isValid(title));
    FUZZ_CHECK(title.size() <= text.size());

    const std::string normalized = ArtistIdentity::normalized(text);
    FUZZ_CHECK(Utf8::isValid(normalized));
    // A blank name matches nothing, not even itself; every other name matches itself.
    FUZZ_CHECK(ArtistIdentity::matches(text, text) == !normalized.empty());
    FUZZ_CHECK(GenreCache::key(text) == normalized);
    return 0;
}
