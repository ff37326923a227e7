#include "core/ownership/status_ownership.h"

#include <algorithm>

#include "core/rendering/slack_emoji.h"
#include "core/text/whitespace.h"

namespace nimbrel {

std::string StatusOwnership::canonicalText(std::string_view text) {
    const std::string canonical = SlackEmoji::canonicalizingShortcodes(text);
    return std::string(Whitespace::trimmed(canonical));
}

bool StatusOwnership::isSameStatus(const SlackStatus& a, const SlackStatus& b) {
    return canonicalText(a.text) == canonicalText(b.text) &&
           SlackEmoji::normalize(a.emoji) == SlackEmoji::normalize(b.emoji);
}

bool StatusOwnership::isOneOf(const SlackStatus& status, const std::vector<SlackStatus>& list) {
    return std::any_of(list.begin(), list.end(),
                       [&](const SlackStatus& element) { return isSameStatus(status, element); });
}

StatusOwner StatusOwnership::owner(const SlackStatus& current, const std::optional<SlackStatus>& lastSet) {
    if (current.isEmpty()) {
        return StatusOwner::none;
    }
    if (!lastSet) {
        return StatusOwner::foreign;
    }
    return isSameStatus(current, *lastSet) ? StatusOwner::ours : StatusOwner::foreign;
}

bool StatusOwnership::isSnapshotFresh(const std::optional<Instant>& savedAt, Instant now) {
    if (!savedAt) {
        return false;
    }
    const double elapsed = Instants::secondsBetween(*savedAt, now);
    return elapsed >= 0 && elapsed <= snapshotLifetime;
}

bool StatusOwnership::hasExpired(std::int64_t expiration, Instant now) {
    if (expiration < 1) {
        return false;
    }
    return Instants::secondsSince1970(now) >= static_cast<double>(expiration);
}

} // namespace nimbrel
