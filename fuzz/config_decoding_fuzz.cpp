#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/config/config_decode_report.h"
#include "core/config/vibe_config.h"
#include "core/json/decode_error.h"
#include "fuzz/fuzz_check.h"

using namespace nimbrel;

// Any document decodes or fails with DecodeError (the report form never throws). A decoded configuration
// has only valid theme references, so it survives encoding and decoding unchanged.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    (void)ConfigDecodeReport::decoding(bytes);
    VibeConfig config;
    try {
        config = VibeConfig::decode(bytes);
    } catch (const DecodeError&) {
        return 0;
    }
    const std::string encoded = config.encodedData();
    FUZZ_CHECK(VibeConfig::decode(encoded) == config);
    FUZZ_CHECK(VibeConfig::decode(encoded).encodedData() == encoded);
    return 0;
}
