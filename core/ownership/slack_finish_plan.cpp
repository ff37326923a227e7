#include "core/ownership/slack_finish_plan.h"

#include "core/ownership/status_ownership.h"

namespace nimbrel {

std::string SlackFinishPlan::name() const {
    if (as<Restore>() != nullptr) {
        return "restore";
    }
    return as<Clear>() != nullptr ? "clear" : "doNothing";
}

SlackFinishPlan SlackFinishPlan::decide(WhenMusicStops whenMusicStops, const StatusOwnershipRecord& record,
                                        Instant now) {
    if (whenMusicStops == WhenMusicStops::leave) {
        return doNothing();
    }
    if (!record.lastSetByUs) {
        return doNothing();
    }
    if (whenMusicStops == WhenMusicStops::clear) {
        return clear();
    }
    if (std::optional<SlackStatus> saved = record.savedStatus(now)) {
        return restore(std::move(*saved));
    }
    return clear();
}

SlackFinishPlan SlackFinishPlan::decide(WhenMusicStops whenMusicStops, const StatusOwnershipRecord& record, Instant now,
                                        const std::optional<SlackStatus>& current) {
    if (current && StatusOwnership::owner(*current, record.lastSetStatus()) == StatusOwner::foreign) {
        return doNothing();
    }
    return decide(whenMusicStops, record, now);
}

} // namespace nimbrel
