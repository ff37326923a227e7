#include "app/cli/doctor_command.h"

#include <sstream>

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "core/config/built_in_config.h"
#include "tests/app/cli/cli_test_support.h"
#include "tests/support/temporary_folder.h"

namespace nimbrel::cli {
namespace {

using std::chrono::hours;
using std::chrono::seconds;

const Instant kNow = Instant(seconds(1'740'852'245)); // 2025-03-01T18:04:05Z

constexpr std::string_view kConfig = R"({
  "slack_accounts": [{"team_name": "Acme", "team_id": "T1", "user_id": "U1", "scopes": [], "is_enabled": true}],
  "when_music_stops": "clear",
  "vibes": [{"name": "Focus", "status_text": "Focusing", "status_emoji": ":headphones:", "match": ["jazz"]}]
})";

TEST(DoctorCommand, GathersWhatIsOnDisk) {
    testing::TemporaryFolder folder;
    testing::writeBytes(folder / "config.json", kConfig);
    testing::writeBytes(folder / "state.json", R"({"workspaces": {"T1": {"last_set_by_us": true,
        "last_set_text": "Focusing", "last_set_emoji": ":headphones:", "saved_text": "Focusing",
        "saved_emoji": ":headphones:", "saved_at": 762541445}}, "recently_set_texts": ["Focusing"],
        "recently_set_emoji": [":headphones:"]})");
    testing::writeBytes(folder / "genre-cache.json", R"({"entries": {"queen": {"genre": "Rock",
        "storedAt": "2025-03-01T17:00:00Z"}}})");

    const DoctorInputs inputs = gatherDoctorInputs(AppFolder(folder.path()), kNow);
    EXPECT_EQ(inputs.folder, folder.path());
    ASSERT_EQ(inputs.files.size(), 3u);
    for (const DoctorFile& file : inputs.files) {
        EXPECT_EQ(file.condition, DoctorFile::Condition::present) << file.name << ": " << file.problem;
    }
    EXPECT_EQ(inputs.configOrigin, "config.json");
    EXPECT_EQ(inputs.config.whenMusicStops, WhenMusicStops::clear);
    ASSERT_EQ(inputs.config.slackAccounts.size(), 1u);
    EXPECT_EQ(inputs.state.discardedSelfSnapshots, (std::vector<std::string>{"T1"}));
    EXPECT_FALSE(inputs.state.state.record("T1").hasSnapshot());
    EXPECT_EQ(inputs.genreCache.entries.size(), 1u);
    EXPECT_EQ(inputs.now, kNow);
}

TEST(DoctorCommand, MissingFilesAreReportedAndNothingIsWritten) {
    testing::TemporaryFolder parent;
    const std::filesystem::path folder = parent / "Nimbrel";
    const DoctorInputs inputs = gatherDoctorInputs(AppFolder(folder), kNow);
    EXPECT_FALSE(std::filesystem::exists(folder)) << "the doctor only looks";
    ASSERT_EQ(inputs.files.size(), 3u);
    EXPECT_EQ(inputs.files[0].name, "config.json");
    EXPECT_EQ(inputs.files[1].name, "state.json");
    EXPECT_EQ(inputs.files[2].name, "genre-cache.json");
    for (const DoctorFile& file : inputs.files) {
        EXPECT_EQ(file.condition, DoctorFile::Condition::missing) << file.name;
    }
    EXPECT_EQ(inputs.config, builtInConfig().value());
    EXPECT_EQ(inputs.configOrigin, "the built-in vibes: config.json does not exist yet");
    EXPECT_EQ(inputs.state.state, AppState());
}

TEST(DoctorCommand, UnreadableFilesSayWhy) {
    testing::TemporaryFolder folder;
    testing::writeBytes(folder / "config.json", R"({"vibes": [{"name": "No emoji", "status_text": "x"}]})");
    testing::writeBytes(folder / "state.json", "{");
    testing::writeBytes(folder / "genre-cache.json", R"({"entries": {"a": {}}})");
    const DoctorInputs inputs = gatherDoctorInputs(AppFolder(folder.path()), kNow);
    ASSERT_EQ(inputs.files.size(), 3u);
    for (const DoctorFile& file : inputs.files) {
        EXPECT_EQ(file.condition, DoctorFile::Condition::unreadable) << file.name;
    }
    EXPECT_EQ(inputs.files[0].problem, "vibes[0].status_emoji: required text is missing");
    EXPECT_EQ(inputs.files[1].problem, "line 1, column 2: not valid JSON (unexpected end of input; expected string "
                                       "literal)");
    EXPECT_EQ(inputs.files[2].problem, "entries.a.storedAt: required text is missing");
    EXPECT_EQ(inputs.config, builtInConfig().value());
    EXPECT_EQ(inputs.configOrigin, "the built-in vibes, which the program uses while config.json is unreadable");
    EXPECT_EQ(testing::readBytes(folder / "state.json"), "{") << "the doctor never rewrites a file";
}

TEST(DoctorCommand, PrintsTheRecordsAsJson) {
    testing::TemporaryFolder folder;
    testing::ScopedEnvironment home("NIMBREL_HOME", folder.path().string());
    testing::writeBytes(folder / "config.json", kConfig);
    testing::writeBytes(folder / "state.json", R"({"workspaces": {"T1": {"last_set_by_us": true,
        "last_set_text": "Focusing", "last_set_emoji": ":headphones:", "saved_text": "Focusing",
        "saved_emoji": ":headphones:", "saved_at": 762541445}, "T2": {"is_yielded": true, "saved_text": "Lunch",
        "saved_emoji": "", "saved_at": 762541445}}, "recently_set_texts": ["Focusing"],
        "recently_set_emoji": [":headphones:"]})");

    const testing::CommandResult result = testing::runInProcess(runDoctor, {"--json"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    const nlohmann::json json = nlohmann::json::parse(result.out);
    EXPECT_EQ(json.at("folder"), folder.path().string());
    EXPECT_EQ(json.at("workspaces"), nlohmann::json::parse(R"({
        "T1": {"last_set_by_us": true, "last_set_text": "Focusing", "last_set_emoji": ":headphones:",
               "is_yielded": false},
        "T2": {"last_set_by_us": false, "is_yielded": true, "saved_text": "Lunch", "saved_emoji": "",
               "saved_at": 762541445.0}})"));
    EXPECT_EQ(json.at("recently_set"), nlohmann::json::parse(R"([{"text": "Focusing", "emoji": ":headphones:"}])"));
    EXPECT_EQ(json.at("genre_cache"), nlohmann::json::parse(R"({"entries": 0, "fresh": 0, "observed_genres": []})"));
    EXPECT_EQ(json.at("discarded_self_snapshots"), nlohmann::json::parse(R"(["T1"])"));
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"config.json", "state.json"})) << "nothing is written";
}

TEST(DoctorCommand, TextAndUsage) {
    testing::TemporaryFolder folder;
    testing::ScopedEnvironment home("NIMBREL_HOME", folder.path().string());
    const testing::CommandResult text = testing::runInProcess(runDoctor, {});
    EXPECT_EQ(text.status, 0);
    EXPECT_TRUE(text.out.starts_with("Nimbrel doctor\n\nFiles in " + folder.path().string())) << text.out;
    EXPECT_NE(text.out.find("  state.json: missing"), std::string::npos) << text.out;

    const testing::CommandResult help = testing::runInProcess(runDoctor, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, DoctorCommand::kHelp);

    const testing::CommandResult wrong = testing::runInProcess(runDoctor, {"--jsn"});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_TRUE(wrong.err.starts_with("nimbrel doctor: ")) << wrong.err;
    EXPECT_EQ(wrong.out, "");
    EXPECT_EQ(testing::runInProcess(runDoctor, {"extra"}).status, 2);
}

} // namespace
} // namespace nimbrel::cli
