#include "app/cli/check_config_command.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/config/built_in_config.h"
#include "tests/app/cli/cli_test_support.h"

namespace nimbrel::cli {
namespace {

using testing::CommandResult;
using testing::readBytes;
using testing::TemporaryFolder;
using testing::writeBytes;

CommandResult checkConfig(const std::vector<std::string>& arguments) {
    return testing::runInProcess(runCheckConfig, arguments);
}

class CheckConfigCommandTest : public testing::CommandTest {
protected:
    std::string fileWith(std::string_view bytes) {
        const std::string path = (folder / "config.json").string();
        writeBytes(path, bytes);
        return path;
    }
};

// ---- Documents that do not decode name the place ----------------------------------------------------

// Where each kind of fault is located is the decoder's business (its own tests cover it); the command
// prints that location after the file's path, on one line.
TEST_F(CheckConfigCommandTest, NamesTheFileAndTheLocationOnOneLine) {
    const std::pair<std::string, std::string> cases[] = {
        {R"({"vibes": [{"name": "e", "status_text": "f"}]})", "vibes[0].status_emoji: required text is missing"},
        {"{\n  \"vibes\": [,]\n}", "line 2, column 13: "},
    };
    for (const auto& [document, location] : cases) {
        const std::string path = fileWith(document);
        const CommandResult result = checkConfig({path});
        EXPECT_EQ(result.status, CheckConfigCommand::kExitInvalid) << document;
        EXPECT_TRUE(result.out.empty()) << document;
        EXPECT_TRUE(result.err.starts_with("nimbrel check-config: " + path + ": " + location)) << result.err;
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    }
}

TEST_F(CheckConfigCommandTest, UnreadableFileSaysWhy) {
    const CommandResult result = checkConfig({(folder / "nowhere.json").string()});
    EXPECT_EQ(result.status, CheckConfigCommand::kExitInvalid);
    EXPECT_NE(result.err.find("nowhere.json"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("No such file or directory"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find(CheckConfigCommand::kNoFileYet), std::string::npos);
}

// ---- Documents that decode --------------------------------------------------------------------------

TEST_F(CheckConfigCommandTest, ValidFileGivesOneLineSummary) {
    const std::string path = fileWith(testing::kSmallConfig);
    const CommandResult result = checkConfig({path});
    EXPECT_EQ(result.status, CheckConfigCommand::kExitValid);
    EXPECT_EQ(result.out,
              path + ": valid: 2 vibes, default vibe \u201Clistening\u201D, theme \u201Cdagger\u201D, template "
                     "\u201C{vibe} \u00B7 {track} \u2014 {artist}\u201D, players spotify, apple_music, when "
                     "music stops restore, 0 Slack workspaces.\n");
    EXPECT_TRUE(result.err.empty()) << result.err;
}

TEST_F(CheckConfigCommandTest, ListsWhatTheDecoderDropsWithoutFailing) {
    const std::string path = fileWith(R"({
      "sources": ["spotify", "itunes", "spotify"],
      "theme": "msn",
      "when_music_stops": "later",
      "append_artist": true,
      "vibes": [{"name": "a", "status_text": "b", "status_emoji": ":x:", "theme": "nope"}]
    })");
    const CommandResult result = checkConfig({path});
    EXPECT_EQ(result.status, CheckConfigCommand::kExitValid) << result.err;
    const std::vector<std::string> expectedPlaces = {
        "sources[1]: ", "sources[2]: ", "theme: ", "when_music_stops: ", "append_artist: ", "vibes[0].theme: "};
    for (const std::string& place : expectedPlaces) {
        EXPECT_NE(result.out.find("\n" + std::string(CheckConfigCommand::kNoticePrefix) + place), std::string::npos)
            << place << " in:\n"
            << result.out;
    }
    EXPECT_NE(result.out.find("players spotify,"), std::string::npos) << result.out;
}

TEST_F(CheckConfigCommandTest, DefaultsToTheUsersConfigWithoutCreatingIt) {
    const CommandResult missing = checkConfig({});
    EXPECT_EQ(missing.status, CheckConfigCommand::kExitInvalid);
    EXPECT_NE(missing.err.find((folder / "home" / "config.json").string()), std::string::npos) << missing.err;
    EXPECT_NE(missing.err.find(CheckConfigCommand::kNoFileYet), std::string::npos) << missing.err;
    EXPECT_FALSE(std::filesystem::exists(folder / "home"));

    std::filesystem::create_directories(folder / "home");
    writeBytes(folder / "home" / "config.json", builtInConfigText);
    const CommandResult present = checkConfig({});
    EXPECT_EQ(present.status, CheckConfigCommand::kExitValid) << present.err;
    EXPECT_NE(present.out.find("valid: 7 vibes, default vibe \u201Clistening\u201D"), std::string::npos) << present.out;
    // The shipped document's commentary keys are not worth a note.
    EXPECT_EQ(present.out.find(CheckConfigCommand::kNoticePrefix), std::string::npos) << present.out;
}

TEST_F(CheckConfigCommandTest, UsageAndHelp) {
    const CommandResult twoFiles = checkConfig({"a.json", "b.json"});
    EXPECT_EQ(twoFiles.status, CheckConfigCommand::kExitUsage);
    EXPECT_NE(twoFiles.err.find("unexpected argument \u201Cb.json\u201D"), std::string::npos) << twoFiles.err;

    const CommandResult unknown = checkConfig({"--strict"});
    EXPECT_EQ(unknown.status, CheckConfigCommand::kExitUsage);

    const CommandResult help = checkConfig({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, CheckConfigCommand::kHelp);
}

} // namespace
} // namespace nimbrel::cli
