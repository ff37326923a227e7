#pragma once

#include <optional>
#include <string>
#include <variant>

#include "core/config/when_music_stops.h"
#include "core/nimbrel_core_export.h"
#include "core/ownership/slack_status.h"
#include "core/ownership/status_ownership_record.h"
#include "core/time/instant.h"

namespace nimbrel {

/// What to do with a workspace's status when the music stops. Equal plans have the same case and, for
/// `restore`, the same status in all three fields.
class NIMBREL_CORE_EXPORT SlackFinishPlan {
public:
    /// Put this saved status back, with its expiration.
    struct Restore {
        SlackStatus status;
        friend bool operator==(const Restore&, const Restore&) = default;
    };
    /// Leave the workspace alone.
    struct DoNothing {
        friend bool operator==(const DoNothing&, const DoNothing&) = default;
    };
    /// Set the empty status.
    struct Clear {
        friend bool operator==(const Clear&, const Clear&) = default;
    };

    using Case = std::variant<Restore, DoNothing, Clear>;

    SlackFinishPlan(Case value) // NOLINT(google-explicit-constructor): a plan is its case
        : m_case(std::move(value)) {}

    /// One factory per case.
    static SlackFinishPlan restore(SlackStatus status) { return SlackFinishPlan(Restore{std::move(status)}); }
    static SlackFinishPlan doNothing() { return SlackFinishPlan(DoNothing{}); }
    static SlackFinishPlan clear() { return SlackFinishPlan(Clear{}); }

    /// The payload when the plan is of case T, else null.
    template <typename T>
    const T* as() const noexcept {
        return std::get_if<T>(&m_case);
    }
    const Case& value() const noexcept { return m_case; }
    /// "restore", "doNothing" or "clear", for logs and diagnostics.
    std::string name() const;

    /// Decides from the configured behaviour and the workspace's record alone: only a status the program
    /// owns is touched; `restore` puts back a fresh, non-empty, unexpired snapshot and clears otherwise.
    static SlackFinishPlan decide(WhenMusicStops whenMusicStops, const StatusOwnershipRecord& record, Instant now);
    /// As above, and when the status on Slack now is known, a status somebody else put up since the
    /// program's last write is left alone: the record alone cannot tell, because a status changed by hand
    /// while the same track keeps playing is not read again before the music stops.
    static SlackFinishPlan decide(WhenMusicStops whenMusicStops, const StatusOwnershipRecord& record, Instant now,
                                  const std::optional<SlackStatus>& current);

    friend bool operator==(const SlackFinishPlan&, const SlackFinishPlan&) = default;

private:
    Case m_case;
};

} // namespace nimbrel
