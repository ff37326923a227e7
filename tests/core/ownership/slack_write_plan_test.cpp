#include "core/ownership/slack_write_plan.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

const SlackStatus kOurs{"Song — Artist", ":headphones:", 0};
const SlackStatus kOursEchoedDifferently{"Song — Artist", "Headphones", 0};
const SlackStatus kOlderOurs{"Older song", ":zap:", 0};
const SlackStatus kForeign{"In a meeting", ":calendar:", 0};

enum class Record { none, empty, ours, yielded, ownedWithoutEcho };

AppState stateWith(Record kind, bool withRecent) {
    AppState state;
    if (withRecent) {
        state.recentlySet = {kOlderOurs};
    }
    switch (kind) {
    case Record::none:
        break;
    case Record::empty:
        state.workspaces["T1"] = StatusOwnershipRecord();
        break;
    case Record::ours:
        state.workspaces["T1"].recordWrite(kOurs, "k");
        break;
    case Record::yielded:
        state.workspaces["T1"].yield(kForeign, Instant());
        break;
    case Record::ownedWithoutEcho:
        // The flag without a known status: every non-empty status is foreign to it.
        state.workspaces["T1"] = StatusOwnershipRecord("k", true);
        break;
    }
    return state;
}

TEST(SlackWritePlan, DecisionTable) {
    struct Row {
        std::string name;
        Record record;
        bool withRecent;
        SlackStatus current;
        bool hasBudget;
        SlackWritePlan expected;
    };
    const std::vector<Row> rows = {
        // row 1: pacing comes before ownership
        {"no budget, foreign status", Record::none, false, kForeign, false, SlackWritePlan::deferNoBudget},
        {"no budget, our status", Record::ours, false, kOurs, false, SlackWritePlan::deferNoBudget},
        {"no budget, nothing there", Record::yielded, false, SlackStatus::empty(), false,
         SlackWritePlan::deferNoBudget},
        // row 2: nobody's or ours
        {"no record, empty status", Record::none, false, SlackStatus::empty(), true, SlackWritePlan::write},
        {"empty record, blank status", Record::empty, false, {"  ", "", 0}, true, SlackWritePlan::write},
        {"ours as written", Record::ours, false, kOurs, true, SlackWritePlan::write},
        {"ours as Slack echoes it", Record::ours, false, kOursEchoedDifferently, true, SlackWritePlan::write},
        {"yielded, status since cleared", Record::yielded, false, SlackStatus::empty(), true, SlackWritePlan::write},
        {"ours, status since cleared", Record::ours, false, SlackStatus::empty(), true, SlackWritePlan::write},
        // row 3: the program wrote or stood back, and something else is up now
        {"ours replaced by another", Record::ours, false, kForeign, true, SlackWritePlan::yieldToCurrent},
        {"ours replaced by an older one of ours", Record::ours, true, kOlderOurs, true, SlackWritePlan::yieldToCurrent},
        {"still yielded", Record::yielded, false, kForeign, true, SlackWritePlan::yieldToCurrent},
        {"yielded, another status now", Record::yielded, false, kOurs, true, SlackWritePlan::yieldToCurrent},
        {"flag without echo", Record::ownedWithoutEcho, false, kOurs, true, SlackWritePlan::yieldToCurrent},
        // row 4: a leftover of our own
        {"no record, one of ours", Record::none, true, kOlderOurs, true, SlackWritePlan::takeOverWithoutSnapshot},
        {"empty record, one of ours respelled",
         Record::empty,
         true,
         {"Older song", "ZAP", 0},
         true,
         SlackWritePlan::takeOverWithoutSnapshot},
        // row 5: somebody else's status never seen
        {"no record, foreign", Record::none, true, kForeign, true, SlackWritePlan::snapshotThenWrite},
        {"empty record, foreign", Record::empty, false, kForeign, true, SlackWritePlan::snapshotThenWrite},
        {"emoji only", Record::none, false, {"", ":palm_tree:", 0}, true, SlackWritePlan::snapshotThenWrite},
    };
    for (const Row& row : rows) {
        const AppState state = stateWith(row.record, row.withRecent);
        EXPECT_EQ(SlackWritePlan::decide(row.current, state, "T1", row.hasBudget).name(), row.expected.name())
            << row.name;
    }
}

TEST(SlackWritePlan, RecordsOfOtherTeamsDoNotCount) {
    AppState state;
    state.workspaces["T2"].recordWrite(kOurs, "k");
    // T1 never wrote: our status there is foreign (and not in the recent list, which is filled by the
    // state's recordWrite only).
    EXPECT_EQ(SlackWritePlan::decide(kOurs, state, "T1", true), SlackWritePlan::snapshotThenWrite);
    EXPECT_EQ(SlackWritePlan::decide(kOurs, state, "T2", true), SlackWritePlan::write);
}

} // namespace
} // namespace nimbrel
