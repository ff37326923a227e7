#include "core/ownership/app_state.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace nimbrel {
namespace {

using std::chrono::hours;
using std::chrono::seconds;

const Instant kNow = Instant(seconds(1'760'000'000));
const SlackStatus kLunch{"Lunch", ":fork_and_knife:", 1'760'003'600};

SlackStatus song(int number) {
    return {"Song " + std::to_string(number), ":headphones:", 0};
}

TEST(AppState, PerTeamOperationsStoreBack) {
    AppState state;
    EXPECT_EQ(state.record("T1"), StatusOwnershipRecord());
    EXPECT_TRUE(state.workspaces.empty()) << "reading a record does not add it";
    state.snapshot(kLunch, kNow, "T1");
    state.recordWrite(song(1), "k1", "T1");
    state.recordWrite(song(2), "k2", "T2");
    EXPECT_EQ(state.record("T1").savedText, "Lunch");
    EXPECT_EQ(state.record("T1").lastSetStatus(), song(1));
    EXPECT_EQ(state.record("T2").lastKey, "k2");
    EXPECT_FALSE(state.record("T2").hasSnapshot());

    state.forget("T1");
    state.forget("T-unknown");
    EXPECT_EQ(state.workspaces.size(), 1u);
    EXPECT_EQ(state.recentlySet.size(), 2u) << "the recent list survives a disconnect";
    state.releaseStatus("T3");
    EXPECT_EQ(state.workspaces.at("T3"), StatusOwnershipRecord());
}

TEST(AppState, RecentListKeepsTheEightNewestWithoutRepeats) {
    AppState state;
    for (int number = 1; number <= 9; ++number) {
        state.recordWrite(song(number), "k", "T1");
    }
    ASSERT_EQ(state.recentlySet.size(), AppState::recentlySetLimit);
    for (std::size_t index = 0; index < 8; ++index) {
        EXPECT_EQ(state.recentlySet[index], song(9 - static_cast<int>(index)));
    }

    // Written again, spelled differently: moved to the front, not duplicated; the entry is as written.
    const SlackStatus respelled{"Song 5", "Headphones", 99};
    state.recordWrite(respelled, "k", "T2");
    ASSERT_EQ(state.recentlySet.size(), 8u);
    EXPECT_EQ(state.recentlySet.front(), respelled);
    EXPECT_EQ(std::count_if(state.recentlySet.begin(), state.recentlySet.end(),
                            [](const SlackStatus& entry) { return entry.text == "Song 5"; }),
              1);
    EXPECT_EQ(state.recentlySet.back(), song(2));
}

TEST(AppState, LooksLikeOurs) {
    AppState state;
    state.recordWrite(song(1), "k", "T1");
    state.recordWrite(song(2), "k", "T2");
    EXPECT_TRUE(state.looksLikeOurs({"Song 1", "HEADPHONES", 0}, "T1"));
    EXPECT_TRUE(state.looksLikeOurs(song(2), "T1")) << "recent list";
    EXPECT_FALSE(state.looksLikeOurs(kLunch, "T1"));

    // The last written status counts even when the recent list no longer holds it.
    state.recentlySet.clear();
    EXPECT_TRUE(state.looksLikeOurs(song(1), "T1"));
    EXPECT_FALSE(state.looksLikeOurs(song(1), "T2"));
}

TEST(AppState, ClearAllKeysTouchesNothingElse) {
    AppState state;
    state.snapshot(kLunch, kNow, "T1");
    state.recordWrite(song(1), "k1", "T1");
    state.yield(kLunch, kNow, "T2");
    AppState expected = state;
    expected.workspaces.at("T1").lastKey.reset();
    state.clearAllKeys();
    EXPECT_EQ(state, expected);
}

TEST(AppState, YieldKeepsOnlyAForeignStatusAsSnapshot) {
    AppState state;
    state.recordWrite(song(1), "k", "T1");
    state.yield(kLunch, kNow, "T1");
    EXPECT_TRUE(state.record("T1").isYielded);
    EXPECT_EQ(state.record("T1").savedStatus(kNow), kLunch);

    state.snapshot(kLunch, kNow - hours(1), "T2");
    state.recordWrite(song(2), "k", "T2");
    // Song 1 is up on T2 (another machine of the same user wrote it): stand back, but never keep it as the
    // status to restore.
    state.yield(song(1), kNow, "T2");
    const StatusOwnershipRecord record = state.record("T2");
    EXPECT_TRUE(record.isYielded);
    EXPECT_FALSE(record.lastSetByUs);
    EXPECT_FALSE(record.hasSnapshot());
    EXPECT_FALSE(record.savedAt);
}

TEST(AppState, DiscardSelfSnapshots) {
    AppState state;
    // T1: saved status equals the last written one.
    state.recordWrite(song(1), "k", "T1");
    state.snapshot(song(1), kNow, "T1");
    // T2: saved status is a recent one of ours, spelled differently.
    state.workspaces["T2"].snapshot({"Song 1", "HEADPHONES:", 0}, kNow);
    state.workspaces["T2"].savedEmoji = ":Headphones:";
    // T3: a genuine user status.
    state.workspaces["T3"].snapshot(kLunch, kNow);
    // T4: a blank saved status is left as it is.
    state.workspaces["T4"].snapshot({" ", "", 0}, kNow);
    // T0: no snapshot at all.
    state.workspaces["T0"] = StatusOwnershipRecord("k", true);

    const AppState before = state;
    EXPECT_EQ(state.discardSelfSnapshots(), (std::vector<std::string>{"T1", "T2"}));
    AppState expected = before;
    for (const char* team : {"T1", "T2"}) {
        // Only the snapshot goes; the rest of the record stays.
        auto& record = expected.workspaces[team];
        record.savedText = record.savedEmoji = std::nullopt;
        record.savedExpiration = std::nullopt;
        record.savedAt = std::nullopt;
    }
    EXPECT_EQ(state, expected);
    EXPECT_TRUE(state.discardSelfSnapshots().empty());
}

TEST(AppStateJson, RoundTrip) {
    AppState state;
    state.snapshot(kLunch, Instant(seconds(1'700'000'000)), "T1");
    state.recordWrite(song(1), "k1", "T1");
    state.yield({"Meeting", ":calendar:", 5}, Instant(seconds(1'700'000'100)), "T2");
    state.recordWrite(song(2), "k2", "T3");

    const AppStateReading reading = AppState::decode(state.encodedData());
    AppState expected = state;
    for (SlackStatus& recent : expected.recentlySet) {
        recent.expiration = 0; // expirations of the recent list are not stored
    }
    EXPECT_EQ(reading.state, expected);
    EXPECT_TRUE(reading.discardedSelfSnapshots.empty());
    EXPECT_TRUE(reading.unreadableRecords.empty());
}

TEST(AppStateJson, Layout) {
    AppState state;
    state.recordWrite({"A", ":zap:", 7}, "k", "T1");
    EXPECT_EQ(state.toJson(), nlohmann::json::parse(R"({
        "workspaces": {"T1": {"last_key": "k", "last_set_by_us": true, "last_set_text": "A",
                              "last_set_emoji": ":zap:", "is_yielded": false}},
        "recently_set_texts": ["A"], "recently_set_emoji": [":zap:"]})"));
    EXPECT_EQ(state.encodedData().find('\n'), std::string::npos) << "compact";
}

TEST(AppStateJson, ABadRecordBecomesEmptyAndTheOthersStay) {
    const AppStateReading reading = AppState::decode(R"({
        "workspaces": {
            "T1": {"last_set_by_us": "yes", "last_key": "k"},
            "T2": {"last_set_by_us": true, "last_key": "k2", "last_set_text": "X"},
            "T3": 42
        },
        "recently_set_texts": ["A", "B"], "recently_set_emoji": [":a:", ":b:"]})");
    ASSERT_EQ(reading.state.workspaces.size(), 3u);
    EXPECT_EQ(reading.state.workspaces.at("T1"), StatusOwnershipRecord());
    EXPECT_EQ(reading.state.workspaces.at("T3"), StatusOwnershipRecord());
    EXPECT_EQ(reading.state.workspaces.at("T2").lastKey, "k2");
    EXPECT_EQ(reading.state.recentlySet.size(), 2u);
    ASSERT_EQ(reading.unreadableRecords.size(), 2u);
    EXPECT_EQ(reading.unreadableRecords[0].location(), "workspaces.T1.last_set_by_us");
    EXPECT_EQ(reading.unreadableRecords[1].location(), "workspaces.T3");
}

// Lists of unequal length pair up as far as both go; a workspaces member of the wrong type is skipped.
TEST(AppStateJson, LenientReading) {
    const std::vector<SlackStatus> a{{"A", ":a:", 0}};
    const std::pair<const char*, std::vector<SlackStatus>> rows[] = {
        {R"({"recently_set_texts": ["A", "B"], "recently_set_emoji": [":a:"]})", a},
        {R"({"recently_set_emoji": [":a:"]})", {}},
        {R"({"workspaces": [], "recently_set_texts": ["A"], "recently_set_emoji": [":a:"]})", a},
        {R"({"workspaces": "T1", "recently_set_texts": ["A"], "recently_set_emoji": [":a:", ""], "extra": 1})", a},
    };
    for (const auto& [document, recent] : rows) {
        const AppStateReading reading = AppState::decode(document);
        EXPECT_TRUE(reading.state.workspaces.empty()) << document;
        EXPECT_EQ(reading.state.recentlySet, recent) << document;
    }
}

TEST(AppStateJson, AWrongTypedRecentListMakesTheWholeFileUnreadable) {
    for (const char* document : {
             R"({"workspaces": {"T1": {}}, "recently_set_texts": "A", "recently_set_emoji": []})",
             R"({"workspaces": {"T1": {}}, "recently_set_texts": ["A"], "recently_set_emoji": [1]})",
             R"({"workspaces": {"T1": {}}, "recently_set_texts": [null], "recently_set_emoji": [""]})",
             R"({"workspaces": {"T1": {}}, "recently_set_emoji": {}})",
             R"([])",
             "",
         }) {
        EXPECT_THROW((void)AppState::decode(document), DecodeError) << document;
    }
}

TEST(AppStateJson, OwnSnapshotsAreDiscardedOnReading) {
    const AppStateReading reading = AppState::decode(R"({
        "workspaces": {
            "T2": {"last_set_by_us": true, "last_set_text": "Song", "last_set_emoji": ":zap:",
                   "saved_text": "Song", "saved_emoji": "zap", "saved_at": 700000000},
            "T1": {"saved_text": "Other song", "saved_emoji": "", "saved_at": 700000000},
            "T3": {"saved_text": "Lunch", "saved_emoji": ":fork_and_knife:", "saved_at": 700000000}
        },
        "recently_set_texts": ["Other song"], "recently_set_emoji": [""]})");
    EXPECT_EQ(reading.discardedSelfSnapshots, (std::vector<std::string>{"T1", "T2"}));
    EXPECT_EQ(reading.state.record("T3").savedText, "Lunch");
    EXPECT_FALSE(reading.state.record("T2").hasSnapshot());
    EXPECT_TRUE(reading.state.record("T2").lastSetByUs) << "only the snapshot goes";
}

// A hand-edited or hostile state file cannot make the program hold (and the doctor print) more recent
// statuses than it ever keeps.
TEST(AppStateJson, DecodingKeepsOnlyTheNewestRecentStatusesUpToTheLimit) {
    nlohmann::json texts = nlohmann::json::array();
    nlohmann::json emoji = nlohmann::json::array();
    for (int index = 0; index < 200'000; ++index) {
        texts.push_back("status " + std::to_string(index));
        emoji.push_back(":zap:");
    }
    const AppStateReading reading =
        AppState::decode(nlohmann::json{{"recently_set_texts", texts}, {"recently_set_emoji", emoji}}.dump());
    ASSERT_EQ(reading.state.recentlySet.size(), AppState::recentlySetLimit);
    EXPECT_EQ(reading.state.recentlySet.front().text, "status 0");
    EXPECT_EQ(reading.state.recentlySet.back().text, "status " + std::to_string(AppState::recentlySetLimit - 1));
}

} // namespace
} // namespace nimbrel
