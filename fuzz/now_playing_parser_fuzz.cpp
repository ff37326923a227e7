#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/nowplaying/now_playing_arbiter.h"
#include "core/nowplaying/now_playing_parser.h"
#include "fuzz/fuzz_check.h"

using namespace nimbrel;

// Any output of a player script parses to one reading, and parsing is deterministic.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view output(reinterpret_cast<const char*>(data), size);
    const NowPlaying reading = NowPlayingParser::parse(output);
    FUZZ_CHECK(reading == NowPlayingParser::parse(output));
    if (const auto* playing = reading.as<NowPlaying::Playing>()) {
        FUZZ_CHECK(playing->artist.find('\t') == std::string::npos);
        FUZZ_CHECK(playing->artist.size() + playing->track.size() <= size);
    }
    const NowPlaying picked = NowPlayingArbiter::pick({NowPlaying::notRunning(), reading, reading});
    FUZZ_CHECK(picked == reading);
    return 0;
}
