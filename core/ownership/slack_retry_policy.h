#pragma once

#include <optional>
#include <string_view>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// The pacing and back-off of Slack profile writes. Slack allows 10 profile updates per user per minute.
struct NIMBREL_CORE_EXPORT SlackRetryPolicy final {
    SlackRetryPolicy() = delete;

    /// Slack's limit of profile updates per user.
    static constexpr int profileWritesPerMinute = 10;
    /// Seconds between two writes to one workspace.
    static constexpr double minimumWriteSpacing = 60.0 / profileWritesPerMinute;
    /// The longest Retry-After worth waiting for; beyond it the caller gives up.
    static constexpr double maxRetryAfter = 5.0;

    /// The seconds a Retry-After header asks for: a decimal number, finite and not negative, with spaces and
    /// tabs around it allowed. An HTTP date, trailing text, or no header gives none.
    static std::optional<double> retryAfter(std::optional<std::string_view> headerValue);
    /// The wait to honour before retrying: the value when it is at most `maxRetryAfter`, else none.
    static std::optional<double> wait(std::optional<double> retryAfter);
};

} // namespace nimbrel
