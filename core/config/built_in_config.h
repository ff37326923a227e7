#pragma once

#include <optional>
#include <string_view>

#include "core/config/vibe_config.h"
#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// The configuration document Nimbrel ships, byte for byte as resources/config.json holds it (commentary
/// keys included, no final line break). Written out on the first start, and used when the user's file
/// cannot be read.
NIMBREL_CORE_EXPORT extern const std::string_view builtInConfigText;

/// The shipped document decoded, or none if it does not decode (which the tests rule out).
NIMBREL_CORE_EXPORT std::optional<VibeConfig> builtInConfig();

} // namespace nimbrel
