#include "core/ownership/slack_finish_plan.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

using std::chrono::hours;
using std::chrono::seconds;

const Instant kNow = Instant(seconds(1'760'000'000));
const SlackStatus kLunch{"Lunch", ":fork_and_knife:", 1'760'003'600};
const SlackStatus kSong{"Song", ":headphones:", 0};

StatusOwnershipRecord owned(std::optional<SlackStatus> snapshot, Instant at) {
    StatusOwnershipRecord record;
    if (snapshot) {
        record.snapshot(*snapshot, at);
    }
    record.recordWrite(kSong, "k");
    return record;
}

StatusOwnershipRecord yielded() {
    StatusOwnershipRecord record;
    record.recordWrite(kSong, "k");
    record.yield(kLunch, kNow - hours(1));
    return record;
}

TEST(SlackFinishPlan, DecisionTable) {
    struct Row {
        std::string name;
        WhenMusicStops whenMusicStops;
        StatusOwnershipRecord record;
        SlackFinishPlan expected;
    };
    const std::vector<Row> rows = {
        // row 1
        {"leave, owned", WhenMusicStops::leave, owned(kLunch, kNow - hours(1)), SlackFinishPlan::doNothing()},
        {"leave, empty record", WhenMusicStops::leave, StatusOwnershipRecord(), SlackFinishPlan::doNothing()},
        // row 2
        {"clear, not ours", WhenMusicStops::clear, StatusOwnershipRecord(), SlackFinishPlan::doNothing()},
        {"clear, stood back", WhenMusicStops::clear, yielded(), SlackFinishPlan::doNothing()},
        {"restore, stood back", WhenMusicStops::restore, yielded(), SlackFinishPlan::doNothing()},
        {"restore, snapshot but never wrote", WhenMusicStops::restore,
         [] {
             StatusOwnershipRecord record;
             record.snapshot(kLunch, kNow);
             return record;
         }(),
         SlackFinishPlan::doNothing()},
        // row 3
        {"clear, owned", WhenMusicStops::clear, owned(std::nullopt, kNow), SlackFinishPlan::clear()},
        {"clear, owned with a snapshot", WhenMusicStops::clear, owned(kLunch, kNow), SlackFinishPlan::clear()},
        // row 4
        {"restore, fresh snapshot with its expiry", WhenMusicStops::restore, owned(kLunch, kNow - hours(1)),
         SlackFinishPlan::restore(kLunch)},
        // row 5; which snapshots still count is the record's savedStatus, tested with the record
        {"restore, snapshot 13 hours old", WhenMusicStops::restore, owned(kLunch, kNow - hours(13)),
         SlackFinishPlan::clear()},
        {"restore, nothing saved", WhenMusicStops::restore, owned(std::nullopt, kNow), SlackFinishPlan::clear()},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(SlackFinishPlan::decide(row.whenMusicStops, row.record, kNow), row.expected) << row.name;
    }
}

TEST(SlackFinishPlan, KnownCurrentStatusOfSomebodyElseIsLeftAlone) {
    struct Row {
        std::string name;
        WhenMusicStops whenMusicStops;
        std::optional<SlackStatus> current;
        SlackFinishPlan expected;
    };
    const SlackStatus handSet{"Back at 3", ":coffee:", 0};
    const std::vector<Row> rows = {
        {"unknown current: as without it", WhenMusicStops::restore, std::nullopt, SlackFinishPlan::restore(kLunch)},
        {"ours still up: restore", WhenMusicStops::restore, SlackStatus{"Song", "HEADPHONES", 0},
         SlackFinishPlan::restore(kLunch)},
        {"nothing up: restore", WhenMusicStops::restore, SlackStatus::empty(), SlackFinishPlan::restore(kLunch)},
        {"set by hand since: leave it", WhenMusicStops::restore, handSet, SlackFinishPlan::doNothing()},
        {"set by hand since, clear: leave it", WhenMusicStops::clear, handSet, SlackFinishPlan::doNothing()},
        {"ours still up, clear", WhenMusicStops::clear, kSong, SlackFinishPlan::clear()},
        {"leave", WhenMusicStops::leave, kSong, SlackFinishPlan::doNothing()},
    };
    const StatusOwnershipRecord record = owned(kLunch, kNow - hours(1));
    for (const Row& row : rows) {
        EXPECT_EQ(SlackFinishPlan::decide(row.whenMusicStops, record, kNow, row.current), row.expected) << row.name;
    }
}

} // namespace
} // namespace nimbrel
