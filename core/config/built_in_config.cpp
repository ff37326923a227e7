#include "core/config/built_in_config.h"

#include "core/json/decode_error.h"

namespace nimbrel {

// builtInConfigText itself is defined in a source generated from resources/config.json at build time.

std::optional<VibeConfig> builtInConfig() {
    try {
        return VibeConfig::decode(builtInConfigText);
    } catch (const DecodeError&) {
        return std::nullopt;
    }
}

} // namespace nimbrel
