#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/nimbrel_core_export.h"
#include "core/ownership/slack_status.h"
#include "core/ownership/status_owner.h"
#include "core/time/instant.h"

namespace nimbrel {

/// The rules that decide whose status is on Slack. Slack may report a status differently from how it was
/// sent (a shortcode where the program sent the character, ":Headphones:" for "headphones"), so statuses
/// are compared in a canonical form, never byte for byte.
struct NIMBREL_CORE_EXPORT StatusOwnership final {
    StatusOwnership() = delete;

    /// How long a saved status may be put back: 12 hours, in seconds.
    static constexpr double snapshotLifetime = 43'200;

    /// The text with known shortcodes turned into their characters, then trimmed of white space and line
    /// breaks.
    static std::string canonicalText(std::string_view text);
    /// Same canonical text and the same normalised emoji; expirations are ignored.
    static bool isSameStatus(const SlackStatus& a, const SlackStatus& b);
    /// Whether the status is the same status as some element of the list.
    static bool isOneOf(const SlackStatus& status, const std::vector<SlackStatus>& list);
    /// Who owns `current`, given the status the program last wrote (none when it never wrote one). An empty
    /// status belongs to nobody, whatever was written before.
    static StatusOwner owner(const SlackStatus& current, const std::optional<SlackStatus>& lastSet);
    /// Whether a snapshot taken at `savedAt` may still be restored at `now`: at most 12 hours old, both
    /// ends included, and not dated in the future.
    static bool isSnapshotFresh(const std::optional<Instant>& savedAt, Instant now);
    /// Whether a status expiration (seconds since 1970, below 1 meaning never) lies in the past at `now`.
    static bool hasExpired(std::int64_t expiration, Instant now);
};

} // namespace nimbrel
