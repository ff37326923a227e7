#include "app/storage/app_state_store.h"

#include <gtest/gtest.h>

#include "tests/support/collected_log.h"
#include "tests/support/temporary_folder.h"

namespace nimbrel {
namespace {

using testing::CollectedLog;

using std::chrono::hours;
using std::chrono::seconds;

const Instant kNow = Instant(seconds(1'760'000'000));

TEST(AppStateStore, MissingFileGivesTheEmptyStateSilently) {
    testing::TemporaryFolder folder;
    CollectedLog log;
    const AppStateStore::Loaded loaded = AppStateStore::load((folder / "state.json"), log.sink());
    EXPECT_EQ(loaded.state, AppState());
    EXPECT_FALSE(loaded.fileFound);
    EXPECT_TRUE(log.lines.empty());
}

TEST(AppStateStore, SaveThenLoad) {
    testing::TemporaryFolder folder;
    const auto file = (folder / "state.json");
    AppState state;
    state.snapshot({"Lunch", ":fork_and_knife:", 1'760'003'600}, kNow - hours(1), "T1");
    state.recordWrite({"Song", ":headphones:", 0}, "k1", "T1");
    state.yield({"Meeting", ":calendar:", 0}, kNow, "T2");
    ASSERT_EQ(AppStateStore::save(state, file), std::nullopt);

    CollectedLog log;
    const AppStateStore::Loaded loaded = AppStateStore::load(file, log.sink());
    EXPECT_TRUE(loaded.fileFound);
    EXPECT_EQ(loaded.problem, std::nullopt);
    EXPECT_EQ(loaded.state, state);
    EXPECT_TRUE(log.lines.empty());
    // Nothing is left behind beside the file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(AppStateStore, SaveReplacesTheWholeFile) {
    testing::TemporaryFolder folder;
    const auto file = (folder / "state.json");
    testing::writeBytes(file, std::string(10'000, 'x'));
    ASSERT_EQ(AppStateStore::save(AppState(), file), std::nullopt);
    EXPECT_EQ(testing::readBytes(file), R"({"recently_set_emoji":[],"recently_set_texts":[],"workspaces":{}})");
}

TEST(AppStateStore, CorruptFileGivesTheEmptyStateSilentlyButKeepsTheReason) {
    testing::TemporaryFolder folder;
    const auto file = (folder / "state.json");
    for (const std::string& contents :
         {std::string("{not json"), std::string("[]"), std::string(""), std::string(R"({"recently_set_texts": 5})")}) {
        testing::writeBytes(file, contents);
        CollectedLog log;
        const AppStateStore::Loaded loaded = AppStateStore::load(file, log.sink());
        EXPECT_EQ(loaded.state, AppState()) << contents;
        EXPECT_TRUE(loaded.fileFound);
        EXPECT_TRUE(loaded.problem.has_value()) << contents;
        EXPECT_TRUE(log.lines.empty()) << contents;
    }
}

TEST(AppStateStore, BadRecordInAGoodFile) {
    testing::TemporaryFolder folder;
    const auto file = (folder / "state.json");
    testing::writeBytes(file, R"({"workspaces": {"T1": {"last_set_by_us": "true"}, "T2": {"last_key": "k"}},
                              "recently_set_texts": ["A"], "recently_set_emoji": [":a:"]})");
    const AppStateStore::Loaded loaded = AppStateStore::load(file, {});
    EXPECT_EQ(loaded.state.record("T1"), StatusOwnershipRecord());
    EXPECT_TRUE(loaded.state.workspaces.contains("T1"));
    EXPECT_EQ(loaded.state.record("T2").lastKey, "k");
    EXPECT_EQ(loaded.state.recentlySet.size(), 1u);
    ASSERT_EQ(loaded.unreadableRecords.size(), 1u);
}

TEST(AppStateStore, DiscardingOwnSnapshotsIsLogged) {
    testing::TemporaryFolder folder;
    const auto file = (folder / "state.json");
    testing::writeBytes(file, R"({"workspaces": {
        "TB": {"last_set_by_us": true, "last_set_text": "Song", "last_set_emoji": ":zap:",
               "saved_text": "Song", "saved_emoji": ":zap:", "saved_expiration": 0, "saved_at": 781000000},
        "TA": {"saved_text": "Old", "saved_emoji": "", "saved_at": 781000000},
        "TC": {"saved_text": "Lunch", "saved_emoji": "", "saved_at": 781000000}},
        "recently_set_texts": ["Old"], "recently_set_emoji": [""]})");
    CollectedLog log;
    const AppStateStore::Loaded loaded = AppStateStore::load(file, log.sink());
    EXPECT_EQ(loaded.discardedSelfSnapshots, (std::vector<std::string>{"TA", "TB"}));
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].first, LogLevel::info);
    EXPECT_EQ(log.lines[0].second, "AppState: discarded a saved status that was one of our own (TA, TB)");
    EXPECT_FALSE(loaded.state.record("TB").hasSnapshot());
    EXPECT_TRUE(loaded.state.record("TC").hasSnapshot());
}

TEST(AppStateStore, SaveFailureIsReportedAndLeavesTheOldFile) {
    testing::TemporaryFolder folder;
    const auto file = (folder / "missing-folder") / "state.json";
    EXPECT_TRUE(AppStateStore::save(AppState(), file).has_value());
    EXPECT_FALSE(std::filesystem::exists(file));
}

} // namespace
} // namespace nimbrel
