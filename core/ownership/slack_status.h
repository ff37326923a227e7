#pragma once

#include <cstdint>
#include <string>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// A Slack status as Slack holds it.
struct NIMBREL_CORE_EXPORT SlackStatus {
    std::string text;
    /// Usually a shortcode between colons, as Slack gives it.
    std::string emoji;
    /// When Slack clears the status, in seconds since 1970-01-01 UTC; 0 means never.
    std::int64_t expiration = 0;

    /// No text and no emoji.
    static SlackStatus empty() { return {}; }

    /// Whether text and emoji are both blank (white space and line breaks only); the expiration is not
    /// looked at, so a blank status with an expiry is still no status.
    bool isEmpty() const;

    /// All three fields equal, texts compared exactly. Whether two statuses are the same status for
    /// ownership is a looser question: see StatusOwnership::isSameStatus.
    friend bool operator==(const SlackStatus&, const SlackStatus&) = default;
};

} // namespace nimbrel
