#include "core/ownership/slack_write_plan.h"

#include "core/ownership/status_ownership.h"

namespace nimbrel {

std::string_view SlackWritePlan::name() const noexcept {
    switch (m_value) {
    case deferNoBudget:
        return "deferNoBudget";
    case write:
        return "write";
    case snapshotThenWrite:
        return "snapshotThenWrite";
    case takeOverWithoutSnapshot:
        return "takeOverWithoutSnapshot";
    case yieldToCurrent:
        break;
    }
    return "yieldToCurrent";
}

SlackWritePlan SlackWritePlan::decide(const SlackStatus& current, const AppState& state, std::string_view teamID,
                                      bool hasBudget) {
    if (!hasBudget) {
        return deferNoBudget;
    }
    const StatusOwnershipRecord record = state.record(teamID);
    const StatusOwner owner = StatusOwnership::owner(current, record.lastSetStatus());
    if (owner != StatusOwner::foreign) {
        return write;
    }
    // Once the program has written here (or already stood back), any other non-empty status is somebody
    // else's and stays until it is cleared.
    if (record.isYielded || record.lastSetByUs) {
        return yieldToCurrent;
    }
    // The program's own leftover from before its record was released or lost: never save it, or it would
    // later be restored as if it were the user's.
    if (StatusOwnership::isOneOf(current, state.recentlySet)) {
        return takeOverWithoutSnapshot;
    }
    return snapshotThenWrite;
}

} // namespace nimbrel
