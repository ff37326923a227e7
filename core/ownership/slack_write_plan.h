#pragma once

#include <string_view>

#include "core/nimbrel_core_export.h"
#include "core/ownership/app_state.h"
#include "core/ownership/slack_status.h"

namespace nimbrel {

/// What to do before writing a status to a workspace.
class NIMBREL_CORE_EXPORT SlackWritePlan {
public:
    enum Value {
        /// No pacing slot is free; write later.
        deferNoBudget,
        /// The status is ours or there is none: write over it.
        write,
        /// Somebody else's status the program never saw: save it, then write.
        snapshotThenWrite,
        /// A status the program itself wrote earlier (in an earlier run, say): write over it unsaved.
        takeOverWithoutSnapshot,
        /// Somebody changed the program's status: stand back and write nothing.
        yieldToCurrent,
    };

    constexpr SlackWritePlan(Value value) noexcept // NOLINT(google-explicit-constructor): reads like the enum
        : m_value(value) {}

    /// The case.
    constexpr Value value() const noexcept { return m_value; }
    /// The case's name, for logs and diagnostics.
    std::string_view name() const noexcept;

    /// Decides by pacing first, then by whose status `current` (as just read from Slack) is: the
    /// workspace's record in `state` says what the program wrote and whether it stood back, and the
    /// state's recent list recognises the program's own leftovers.
    static SlackWritePlan decide(const SlackStatus& current, const AppState& state, std::string_view teamID,
                                 bool hasBudget);

    friend constexpr bool operator==(SlackWritePlan, SlackWritePlan) noexcept = default;

private:
    Value m_value;
};

} // namespace nimbrel
