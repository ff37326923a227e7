#include "app/cli/doctor_command.h"

#include <gtest/gtest.h>

#include "core/config/built_in_config.h"
#include "tests/app/cli/cli_test_support.h"
#include "tests/support/temporary_folder.h"

namespace nimbrel::cli {
namespace {

using std::chrono::seconds;
using testing::writeBytes;

const Instant kNow = Instant(seconds(1'740'852'245)); // 2025-03-01T18:04:05Z

constexpr std::string_view kConfig = R"({
  "slack_accounts": [{"team_name": "Acme", "team_id": "T1", "user_id": "U1", "scopes": [], "is_enabled": true}],
  "when_music_stops": "clear",
  "vibes": [{"name": "Focus", "status_text": "Focusing", "status_emoji": ":headphones:", "match": ["jazz"]}]
})";

// T1 holds a snapshot of Nimbrel's own status, which loading drops; T2 is yielded.
constexpr std::string_view kState = R"({"workspaces": {"T1": {"last_set_by_us": true,
    "last_set_text": "Focusing", "last_set_emoji": ":headphones:", "saved_text": "Focusing",
    "saved_emoji": ":headphones:", "saved_at": 762541445}, "T2": {"is_yielded": true, "saved_text": "Lunch",
    "saved_emoji": "", "saved_at": 762541445}}, "recently_set_texts": ["Focusing"],
    "recently_set_emoji": [":headphones:"]})";

TEST(DoctorCommand, GathersWhatIsOnDiskAndPrintsItAsJson) {
    testing::TemporaryFolder folder;
    testing::ScopedEnvironment home("NIMBREL_HOME", folder.path().string());
    writeBytes(folder / "config.json", kConfig);
    writeBytes(folder / "state.json", kState);
    writeBytes(folder / "genre-cache.json",
               R"({"entries": {"queen": {"genre": "Rock", "storedAt": "2025-03-01T17:00:00Z"}}})");

    const DoctorInputs inputs = gatherDoctorInputs(AppFolder(folder.path()), kNow);
    ASSERT_EQ(inputs.files.size(), 3u);
    for (const DoctorFile& file : inputs.files) {
        EXPECT_EQ(file.condition, DoctorFile::Condition::present) << file.name << ": " << file.problem;
    }
    EXPECT_EQ(inputs.configOrigin, "config.json");
    EXPECT_EQ(inputs.config.whenMusicStops, WhenMusicStops::clear);
    EXPECT_EQ(inputs.genreCache.entries.size(), 1u);

    const testing::CommandResult result = testing::runInProcess(runDoctor, {"--json"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    const nlohmann::json json = nlohmann::json::parse(result.out);
    EXPECT_EQ(json.at("folder"), folder.path().string());
    EXPECT_EQ(json.at("workspaces").at("T1"), nlohmann::json::parse(R"({"last_set_by_us": true,
        "last_set_text": "Focusing", "last_set_emoji": ":headphones:", "is_yielded": false})"));
    EXPECT_EQ(json.at("workspaces").at("T2").at("saved_text"), "Lunch");
    EXPECT_EQ(json.at("genre_cache").at("entries"), 1);
    EXPECT_EQ(json.at("discarded_self_snapshots"), nlohmann::json::parse(R"(["T1"])"));
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"config.json", "genre-cache.json", "state.json"}));
}

// The doctor only looks: missing or broken files are described, never created or rewritten.
TEST(DoctorCommand, MissingAndUnreadableFilesSayWhyAndNothingIsWritten) {
    testing::TemporaryFolder parent;
    const std::filesystem::path missing = parent / "Nimbrel";
    const DoctorInputs none = gatherDoctorInputs(AppFolder(missing), kNow);
    EXPECT_FALSE(std::filesystem::exists(missing));
    for (const DoctorFile& file : none.files) {
        EXPECT_EQ(file.condition, DoctorFile::Condition::missing) << file.name;
    }
    EXPECT_EQ(none.config, builtInConfig().value());
    EXPECT_EQ(none.configOrigin, "the built-in vibes: config.json does not exist yet");

    testing::TemporaryFolder folder;
    writeBytes(folder / "config.json", R"({"vibes": [{"name": "No emoji", "status_text": "x"}]})");
    writeBytes(folder / "state.json", "{");
    writeBytes(folder / "genre-cache.json", R"({"entries": {"a": {}}})");
    const DoctorInputs broken = gatherDoctorInputs(AppFolder(folder.path()), kNow);
    const std::pair<std::string, std::string> expected[] = {
        {"config.json", "vibes[0].status_emoji: required text is missing"},
        {"state.json", "line 1, column 2: not valid JSON (unexpected end of input; expected string literal)"},
        {"genre-cache.json", "entries.a.storedAt: required text is missing"},
    };
    ASSERT_EQ(broken.files.size(), 3u);
    for (std::size_t index = 0; index < 3; ++index) {
        EXPECT_EQ(broken.files[index].name, expected[index].first);
        EXPECT_EQ(broken.files[index].condition, DoctorFile::Condition::unreadable);
        EXPECT_EQ(broken.files[index].problem, expected[index].second);
    }
    EXPECT_EQ(broken.configOrigin, "the built-in vibes, which the program uses while config.json is unreadable");
    EXPECT_EQ(testing::readBytes(folder / "state.json"), "{");
}

TEST(DoctorCommand, TextAndUsage) {
    testing::TemporaryFolder folder;
    testing::ScopedEnvironment home("NIMBREL_HOME", folder.path().string());
    const testing::CommandResult text = testing::runInProcess(runDoctor, {});
    EXPECT_EQ(text.status, 0);
    EXPECT_TRUE(text.out.starts_with("Nimbrel doctor\n\nFiles in " + folder.path().string())) << text.out;
    EXPECT_NE(text.out.find("  state.json: missing"), std::string::npos) << text.out;
    EXPECT_EQ(testing::runInProcess(runDoctor, {"--help"}).out, DoctorCommand::kHelp);
    for (const char* wrong : {"--jsn", "extra"}) {
        const testing::CommandResult result = testing::runInProcess(runDoctor, {wrong});
        EXPECT_EQ(result.status, DoctorCommand::kExitUsage);
        EXPECT_TRUE(result.err.starts_with("nimbrel doctor: ")) << result.err;
        EXPECT_EQ(result.out, "");
    }
}

} // namespace
} // namespace nimbrel::cli
