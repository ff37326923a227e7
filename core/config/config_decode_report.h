#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "core/config/config_notice.h"
#include "core/config/vibe_config.h"
#include "core/json/decode_error.h"
#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// The outcome of checking a configuration document, for a user who edits it by hand: either the decoded
/// configuration together with everything the decoder let pass without taking it as written, or the
/// reason the document cannot be read and where.
struct NIMBREL_CORE_EXPORT ConfigDecodeReport {
    /// The configuration, when the document decodes.
    std::optional<VibeConfig> config;
    /// Why the document does not decode, when it does not.
    std::optional<DecodeError> error;
    /// What was dropped, replaced or ignored, in the order the decoder met it; empty when decoding failed.
    std::vector<ConfigNotice> notices;

    bool isReadable() const noexcept { return config.has_value(); }

    /// Decodes `bytes` exactly as the program does, without throwing on a bad document.
    static ConfigDecodeReport decoding(std::string_view bytes);
};

} // namespace nimbrel
