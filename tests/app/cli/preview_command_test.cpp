#include "app/cli/preview_command.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include "core/config/built_in_config.h"
#include "tests/app/cli/cli_test_support.h"

namespace nimbrel::cli {
namespace {

using testing::CommandResult;
using testing::readBytes;
using testing::writeBytes;

class PreviewCommandTest : public testing::CommandTest {
protected:
    std::string configFile = (folder / "mine.json").string();

    void SetUp() override { writeBytes(configFile, testing::kSmallConfig); }
    CommandResult preview(std::vector<std::string> arguments, bool withConfig = true) {
        if (withConfig) {
            arguments.insert(arguments.begin(), {"--config", configFile});
        }
        return testing::runInProcess(runPreview, arguments);
    }
};

// One row per way a preview can go; `out` and `err` are texts each stream must contain.
TEST_F(PreviewCommandTest, ExitStatusesAndReasons) {
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string out;
        std::string err;
    };
    const std::vector<Case> cases = {
        {{"--artist", "Ames", "--track", "Song", "--genre", "Hip-Hop/Rap"},
         0,
         "Vibe:    hip-hop (matched \u201Crap\u201D in the genres)\nStatus:  \u2020 Beats and bars \u00B7 Song \u2014 "
         "Ames "
         "\u2020\nLength:  32 of 100 characters\nEmoji:   :microphone: \U0001F3A4\nTheme:   Dagger\n",
         ""},
        {{"--artist", "Ambient Works", "--track", "T"},
         0,
         "quiet (matched \u201Cambient\u201D in the artist\u2019s name)",
         ""},
        {{"--artist", "X", "--track", "T", "--genre", "Polka"},
         0,
         "listening (the default vibe \u2014 nothing else matched)",
         ""},
        // Neither genre alone names a keyword; together, in this order, they do ("hip hop").
        {{"--artist", "X", "--track", "T", "--genre", "Hip", "--genre", "Hop"}, 0, "matched \u201Chip hop\u201D", ""},
        {{"--artist", "X", "--track", "T", "--genre", "Hop", "--genre", "Hip"}, 0, "Vibe:    listening", ""},
        // A track titled like an option is previewed, not taken for a request for help.
        {{"--artist", "A", "--track", "-h"}, 0, "Music is on \u00B7 -h \u2014 A", ""},
        {{"--artist", "A", "--track", std::string(150, 't')}, 0, "t\u2026 \u2014 A", ""},
        {{"--help"}, 0, std::string(PreviewCommand::kHelp), ""},
        {{"--artist", "A"}, 2, "", "nimbrel preview: "},
        {{"--track", "T"}, 2, "", "nimbrel preview: "},
        {{"--artist", "A", "--track", "T", "--colour", "red"}, 2, "", std::string(PreviewCommand::kHelp)},
        {{"--artist", "A", "--track", "T", "extra"}, 2, "", "nimbrel preview: "},
        {{"--artist", "A", "--track"}, 2, "", "nimbrel preview: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.back());
        const CommandResult result = preview(c.arguments);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_NE(result.out.find(c.out), std::string::npos) << result.out;
        EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
        if (c.status != 0) {
            EXPECT_TRUE(result.out.empty()) << result.out;
        }
    }
}

TEST_F(PreviewCommandTest, FaultyDocumentsExitOneAndNoVibeExitsThree) {
    const std::pair<std::optional<std::string>, std::string> broken[] = {
        {std::nullopt, "mine.json\u201D: No such file or directory"},
        {R"({"vibes": [{"name": "a", "status_text": "b"}]})", "vibes[0].status_emoji: "},
        {"{\n  \"theme\": plain\n}", "line 2, column 12: "},
    };
    for (const auto& [document, location] : broken) {
        if (document) {
            writeBytes(configFile, *document);
        } else {
            std::filesystem::remove(configFile);
        }
        const CommandResult result = preview({"--artist", "A", "--track", "T"});
        EXPECT_EQ(result.status, PreviewCommand::kExitFileError);
        EXPECT_NE(result.err.find(location), std::string::npos) << result.err;
    }

    writeBytes(configFile, R"({"vibes": [{"name": "a", "status_text": "b", "status_emoji": ":x:", "match": ["r"]}]})");
    const CommandResult text = preview({"--artist", "X", "--track", "T"});
    EXPECT_EQ(text.status, PreviewCommand::kExitNoVibe);
    EXPECT_EQ(text.out, std::string(PreviewCommand::kNoVibe) + "\n");
    const CommandResult json = preview({"--artist", "X", "--track", "T", "--json"});
    EXPECT_EQ(json.status, PreviewCommand::kExitNoVibe);
    EXPECT_EQ(nlohmann::json::parse(json.out), nlohmann::json::parse(R"({"vibe": null, "hit": null})"));
}

TEST_F(PreviewCommandTest, JsonIsValidEvenForTextThatIsNotUtf8) {
    const CommandResult result = preview({"--artist", "A\xff", "--track", "T\xc3", "--genre", "Rap", "--json"});
    EXPECT_EQ(result.status, 0);
    ASSERT_TRUE(nlohmann::json::accept(result.out)) << result.out;
    EXPECT_EQ(nlohmann::json::parse(result.out)["hit"], "rap");
}

// The first run writes the built-in configuration; a later broken file still previews, but says so.
TEST_F(PreviewCommandTest, FirstRunWritesTheBuiltInConfigurationAndABrokenOneFallsBack) {
    const std::vector<std::string> song = {"--artist", "Ames", "--track", "Song", "--genre", "Electronic"};
    const CommandResult first = preview(song, false);
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(readBytes(folder / "home" / "config.json"), builtInConfigText);
    EXPECT_NE(first.out.find("Energy levels: elevated \u00B7 \U0001F3B6 Song \u2014 Ames"), std::string::npos);

    writeBytes(folder / "home" / "config.json", testing::kSmallConfig);
    EXPECT_NE(preview({"--artist", "A", "--track", "T", "--genre", "rap"}, false).out.find("Theme:   Dagger"),
              std::string::npos);

    const std::string broken = R"({"poll_seconds": "often"})";
    writeBytes(folder / "home" / "config.json", broken);
    const CommandResult result = preview(song, false);
    EXPECT_EQ(result.status, PreviewCommand::kExitFileError);
    EXPECT_NE(result.out.find("Vibe:    energy"), std::string::npos) << result.out;
    EXPECT_NE(result.err.find(PreviewCommand::kFallbackWarning), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("poll_seconds: "), std::string::npos) << result.err;
    EXPECT_EQ(readBytes(folder / "home" / "config.json"), broken) << "previewing never changes the file";
}

// A folder that cannot be written names the file once and does not call it unreadable: it is missing.
TEST_F(PreviewCommandTest, AnUnwritableFolderIsReportedOnceAndTheBuiltInConfigurationServes) {
    const bool root = ::geteuid() == 0;
    for (const bool readOnly : {false, true}) {
        if (readOnly && root) {
            continue; // root writes into read-only folders
        }
        SCOPED_TRACE(readOnly);
        std::filesystem::remove_all(folder / "home");
        if (readOnly) {
            std::filesystem::create_directories(folder / "home");
            std::filesystem::permissions(folder / "home",
                                         std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        } else {
            writeBytes(folder / "home", "a file where the folder should be");
        }
        const CommandResult result = preview({"--artist", "Ames", "--track", "Song", "--genre", "Electronic"}, false);
        std::filesystem::permissions(folder / "home", std::filesystem::perms::owner_all);
        EXPECT_EQ(result.status, PreviewCommand::kExitMatched);
        EXPECT_NE(result.out.find("Vibe:    energy"), std::string::npos) << result.out;
        EXPECT_EQ(result.err, "nimbrel preview: config: could not write the built-in configuration \u2014 "
                              "couldn\u2019t create \u201C" +
                                  (folder / "home" / "config.json").string() +
                                  "\u201D: " + (readOnly ? "Permission denied" : "Not a directory") + "\n");
    }
}

} // namespace
} // namespace nimbrel::cli
