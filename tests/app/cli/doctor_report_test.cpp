#include "app/cli/doctor_report.h"

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/ownership/slack_finish_plan.h"

namespace nimbrel::cli {
namespace {

using std::chrono::hours;
using std::chrono::seconds;

const Instant kNow = Instant(seconds(1'740'852'245));                 // 2025-03-01T18:04:05Z
const SlackStatus kLunch{"Lunch", ":fork_and_knife:", 1'740'870'245}; // expires 2025-03-01T23:04:05Z
const SlackStatus kSong{"Song — Artist", ":headphones:", 0};

StatusOwnershipRecord ownedWith(std::optional<SlackStatus> saved, Instant savedAt) {
    StatusOwnershipRecord record;
    if (saved) {
        record.snapshot(*saved, savedAt);
    }
    record.recordWrite(kSong, "k");
    return record;
}

TEST(DoctorReport, FinishExplanations) {
    struct Row {
        std::string name;
        StatusOwnershipRecord record;
        bool discarded;
        std::string expected;
    };
    StatusOwnershipRecord undated = ownedWith(std::nullopt, kNow);
    undated.savedText = "Lunch";
    const std::string cleared = "When the music stops the status is cleared: ";
    const std::vector<Row> rows = {
        {"restore", ownedWith(kLunch, kNow - hours(1)), false,
         "When the music stops Nimbrel puts back “Lunch” :fork_and_knife: (expires 2025-03-01T23:04:05Z) (saved "
         "2025-03-01T17:04:05Z; restorable until 2025-03-02T05:04:05Z)."},
        {"own snapshot dropped", ownedWith(std::nullopt, kNow), true,
         cleared + "the saved status was one of Nimbrel’s own, so it was dropped when the state was loaded."},
        {"too old", ownedWith(kLunch, kNow - hours(13)), false,
         cleared + "the saved status is more than 12 hours old (saved 2025-03-01T05:04:05Z)."},
        {"future", ownedWith(kLunch, kNow + hours(2)), false,
         cleared + "the saved status is dated in the future (the clock may have been changed; saved "
                   "2025-03-01T20:04:05Z)."},
        {"expired", ownedWith(SlackStatus{"Lunch", "", 1'740'850'000}, kNow - hours(1)), false,
         cleared + "the saved status expired at 2025-03-01T17:26:40Z."},
        {"expired long ago, beyond the clock's range", ownedWith(SlackStatus{"Lunch", "", -1}, kNow - hours(1)), false,
         "When the music stops Nimbrel puts back “Lunch” (saved 2025-03-01T17:04:05Z; restorable until "
         "2025-03-02T05:04:05Z)."},
        {"expiry beyond the clock's range", ownedWith(SlackStatus{"Lunch", "", 99'999'999'999'999}, kNow - hours(1)),
         false,
         "When the music stops Nimbrel puts back “Lunch” (expires 99999999999999 (seconds since 1970)) (saved "
         "2025-03-01T17:04:05Z; restorable until 2025-03-02T05:04:05Z)."},
        {"undated", undated, false, cleared + "the saved status has no date, so its age is unknown."},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(DoctorReport::finishExplanation(WhenMusicStops::restore, row.record, kNow, row.discarded),
                  row.expected)
            << row.name;
    }
}

TEST(DoctorReport, ExplanationAgreesWithTheFinishPlan) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> coin(0, 1);
    std::uniform_int_distribution<int> hoursAgo(-3, 16);
    std::uniform_int_distribution<int> expiryHours(-5, 5);
    for (int round = 0; round < 2000; ++round) {
        StatusOwnershipRecord record;
        if (coin(random) == 1) {
            const std::int64_t expiration =
                coin(random) == 1 ? 0 : 1'740'852'245 + static_cast<std::int64_t>(expiryHours(random)) * 3600;
            record.snapshot({coin(random) == 1 ? "Away" : " ", coin(random) == 1 ? ":palm_tree:" : "", expiration},
                            kNow - hours(hoursAgo(random)));
        }
        if (coin(random) == 1) {
            record.recordWrite(kSong, "k");
        }
        if (coin(random) == 1 && coin(random) == 1) {
            record.yield(kLunch, kNow - hours(hoursAgo(random)));
        }
        for (const WhenMusicStops when : WhenMusicStops::allCases()) {
            const SlackFinishPlan plan = SlackFinishPlan::decide(when, record, kNow);
            const std::string explanation = DoctorReport::finishExplanation(when, record, kNow, false);
            EXPECT_EQ(explanation.starts_with(DoctorReport::kRestorePrefix),
                      plan.as<SlackFinishPlan::Restore>() != nullptr)
                << explanation;
            EXPECT_EQ(explanation.find("cleared") != std::string::npos, plan.as<SlackFinishPlan::Clear>() != nullptr)
                << explanation;
            EXPECT_EQ(explanation.find("nothing changes") != std::string::npos,
                      plan.as<SlackFinishPlan::DoNothing>() != nullptr)
                << explanation;
        }
    }
}

DoctorInputs sampleInputs() {
    DoctorInputs inputs;
    inputs.folder = "/home/someone/.config/Nimbrel";
    inputs.files = {{"config.json", DoctorFile::Condition::present, ""},
                    {"state.json", DoctorFile::Condition::present, ""},
                    {"genre-cache.json", DoctorFile::Condition::unreadable, "line 1, column 1: the document is empty"}};
    inputs.config.slackAccounts = {{"Acme", "T1", "U1", {}, std::nullopt, true},
                                   {"", "T2", "U2", {}, std::nullopt, false}};
    inputs.configOrigin = "config.json";
    inputs.state.state.snapshot(kLunch, kNow - hours(1), "T1");
    inputs.state.state.recordWrite(kSong, "key-1", "T1");
    inputs.state.state.workspaces["T9"] = StatusOwnershipRecord();
    inputs.state.discardedSelfSnapshots = {"T9"};
    inputs.genreCache.record("Rock", "Queen", kNow - hours(1));
    inputs.genreCache.record(std::nullopt, "Nobody", kNow - hours(7));
    inputs.genreCache.record("Alternative", "Someone", kNow);
    inputs.now = kNow;
    return inputs;
}

TEST(DoctorReport, TextNamesFilesWorkspacesAndWhatHappensNext) {
    const std::string text = DoctorReport::text(sampleInputs());
    for (const std::string& expected : {
             std::string("  genre-cache.json: unreadable — line 1, column 1: the document is empty"),
             std::string("Workspaces: Acme (T1, posting on), U2 (T2, posting off)"),
             std::string("  Acme (T1)\n    Status up: Nimbrel’s — it last set “Song — Artist” :headphones:"),
             std::string("When the music stops Nimbrel puts back “Lunch”"),
             std::string("  U2 (T2)\n    No record yet: Nimbrel has not written to this workspace"),
             std::string("  T9 (not in the configuration)"),
             std::string("Saved status: none (one of Nimbrel’s own was dropped at loading)"),
             std::string("Genre cache: 3 entries, 2 fresh\n  Observed genres: Alternative, Rock"),
         }) {
        EXPECT_NE(text.find(expected), std::string::npos) << "missing: " << expected << "\nin:\n" << text;
    }
}

// Each unreadable record shows under its own workspace only, even where one team id begins another.
TEST(DoctorReport, UnreadableRecordIsReportedUnderItsOwnWorkspace) {
    DoctorInputs inputs = sampleInputs();
    inputs.state = AppState::decode(R"({"workspaces": {"T1": {"last_key": "k"}, "T12": {"is_yielded": "no"}}})");
    const std::string text = DoctorReport::text(inputs);
    const std::string line = "Record unreadable in state.json (workspaces.T12.is_yielded: expected true or false, "
                             "found a string); treated as empty";
    const std::size_t first = text.find(line);
    ASSERT_NE(first, std::string::npos) << text;
    EXPECT_EQ(text.find(line, first + 1), std::string::npos) << "shown twice:\n" << text;
    EXPECT_LT(text.find("\n  T12 "), first) << text;
}

} // namespace
} // namespace nimbrel::cli
