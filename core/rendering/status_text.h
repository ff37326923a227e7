#pragma once

#include <string>
#include <string_view>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// Status lines and Slack's length limit. Lengths count characters (extended grapheme clusters).
struct NIMBREL_CORE_EXPORT StatusText final {
    StatusText() = delete;

    /// The most characters a Slack status text may have.
    static constexpr int slackLimit = 100;
    /// The one mark of shortening, counted as one character.
    static constexpr std::string_view kEllipsis = "\u2026";

    /// The text when it has at most `limit` characters; empty when `limit` is below 1; otherwise its
    /// first `limit` - 1 characters followed by "…".
    static std::string clamp(std::string_view text, int limit);
};

} // namespace nimbrel
