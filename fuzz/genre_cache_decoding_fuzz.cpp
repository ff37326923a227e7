#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/genres/genre_cache.h"
#include "core/json/decode_error.h"
#include "fuzz/fuzz_check.h"

using namespace nimbrel;

// Any cache file either decodes or fails with DecodeError; a decoded cache writes back to a file that
// decodes to the same cache.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    GenreCache cache;
    try {
        cache = GenreCache::decode(bytes);
    } catch (const DecodeError&) {
        return 0;
    }
    const GenreCache again = GenreCache::decode(cache.encodedData());
    FUZZ_CHECK(again.entries.size() == cache.entries.size());
    for (const auto& [key, entry] : cache.entries) {
        const auto found = again.entries.find(key);
        // Keys and genres with broken UTF-8 are written with U+FFFD, so only valid ones must survive intact.
        if (found != again.entries.end()) {
            FUZZ_CHECK(found->second.storedAt == entry.storedAt);
        }
    }
    return 0;
}
