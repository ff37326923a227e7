#include "app/cli/check_config_command.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/config/built_in_config.h"
#include "tests/app/cli/cli_test_support.h"

namespace nimbrel::cli {
namespace {

using testing::CommandResult;
using testing::writeBytes;

class CheckConfigCommandTest : public testing::CommandTest {
protected:
    std::string path = (folder / "config.json").string();
    CommandResult checkConfig(const std::vector<std::string>& arguments) {
        return testing::runInProcess(runCheckConfig, arguments);
    }
};

// The decoder locates each fault (its own tests cover where); the command prints that location after the
// file's path, on one line.
TEST_F(CheckConfigCommandTest, AFaultNamesTheFileAndTheLocationOnOneLine) {
    const std::pair<std::string, std::string> cases[] = {
        {R"({"vibes": [{"name": "e", "status_text": "f"}]})", "vibes[0].status_emoji: required text is missing"},
        {"{\n  \"vibes\": [,]\n}", "line 2, column 13: "},
        {"", "No such file or directory"},
    };
    for (const auto& [document, location] : cases) {
        if (document.empty()) {
            std::filesystem::remove(path);
        } else {
            writeBytes(path, document);
        }
        const CommandResult result = checkConfig({path});
        EXPECT_EQ(result.status, CheckConfigCommand::kExitInvalid) << document;
        EXPECT_TRUE(result.out.empty()) << document;
        EXPECT_NE(result.err.find(path), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(location), std::string::npos) << result.err;
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
        EXPECT_EQ(result.err.find(CheckConfigCommand::kNoFileYet), std::string::npos) << "a named file is not new";
    }
}

TEST_F(CheckConfigCommandTest, ValidFileGivesOneLineSummaryAndListsWhatTheDecoderDrops) {
    writeBytes(path, testing::kSmallConfig);
    const CommandResult small = checkConfig({path});
    EXPECT_EQ(small.status, CheckConfigCommand::kExitValid);
    EXPECT_EQ(small.out, path +
                             ": valid: 2 vibes, default vibe \u201Clistening\u201D, theme \u201Cdagger\u201D, template "
                             "\u201C{vibe} \u00B7 {track} \u2014 {artist}\u201D, players spotify, apple_music, when "
                             "music stops restore, 0 Slack workspaces.\n");

    writeBytes(path, R"({"sources": ["spotify", "itunes", "spotify"], "theme": "msn", "when_music_stops": "later",
      "append_artist": true, "vibes": [{"name": "a", "status_text": "b", "status_emoji": ":x:", "theme": "nope"}]})");
    const CommandResult dropped = checkConfig({path});
    EXPECT_EQ(dropped.status, CheckConfigCommand::kExitValid) << dropped.err;
    for (const char* place :
         {"sources[1]: ", "sources[2]: ", "theme: ", "when_music_stops: ", "append_artist: ", "vibes[0].theme: "}) {
        EXPECT_NE(dropped.out.find("\n" + std::string(CheckConfigCommand::kNoticePrefix) + place), std::string::npos)
            << place << " in:\n"
            << dropped.out;
    }
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
    // The shipped document's commentary keys are not worth a note.
    EXPECT_EQ(present.out.find(CheckConfigCommand::kNoticePrefix), std::string::npos) << present.out;
}

TEST_F(CheckConfigCommandTest, UsageAndHelp) {
    const CommandResult twoFiles = checkConfig({"a.json", "b.json"});
    EXPECT_EQ(twoFiles.status, CheckConfigCommand::kExitUsage);
    EXPECT_NE(twoFiles.err.find("unexpected argument \u201Cb.json\u201D"), std::string::npos) << twoFiles.err;
    EXPECT_EQ(checkConfig({"--strict"}).status, CheckConfigCommand::kExitUsage);
    EXPECT_EQ(checkConfig({"--help"}).out, CheckConfigCommand::kHelp);
}

} // namespace
} // namespace nimbrel::cli
