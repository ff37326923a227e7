#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/json/decode_error.h"
#include "core/ownership/app_state.h"
#include "fuzz/fuzz_check.h"

using namespace nimbrel;

// Any state file either reads (leniently) or fails with DecodeError. What it reads writes back to a file
// that reads as the same state, with nothing more to discard: own snapshots are gone after the first read.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    AppStateReading reading;
    try {
        reading = AppState::decode(bytes);
    } catch (const DecodeError&) {
        return 0;
    }
    const AppStateReading again = AppState::decode(reading.state.encodedData());
    FUZZ_CHECK(again.discardedSelfSnapshots.empty());
    FUZZ_CHECK(again.unreadableRecords.empty());
    FUZZ_CHECK(again.state.workspaces.size() == reading.state.workspaces.size());
    FUZZ_CHECK(again.state.recentlySet.size() == reading.state.recentlySet.size());
    return 0;
}
