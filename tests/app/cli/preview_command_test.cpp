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

CommandResult preview(const std::vector<std::string>& arguments) {
    return testing::runInProcess(runPreview, arguments);
}

class PreviewCommandTest : public testing::CommandTest {
protected:
    std::string configFile = (folder / "mine.json").string();

    void SetUp() override { writeBytes(configFile, testing::kSmallConfig); }
};

TEST_F(PreviewCommandTest, ShowsVibeReasonStatusLengthEmojiAndTheme) {
    const CommandResult result =
        preview({"--config", configFile, "--artist", "Ames", "--track", "Song", "--genre", "Hip-Hop/Rap"});
    EXPECT_EQ(result.status, PreviewCommand::kExitMatched);
    EXPECT_EQ(result.out, "Vibe:    hip-hop (matched \u201Crap\u201D in the genres)\n"
                          "Status:  \u2020 Beats and bars \u00B7 Song \u2014 Ames \u2020\n"
                          "Length:  32 of 100 characters\n"
                          "Emoji:   :microphone: \U0001F3A4\n"
                          "Theme:   Dagger\n");
    EXPECT_TRUE(result.err.empty()) << result.err;
}

TEST_F(PreviewCommandTest, ExplainsArtistNameAndDefaultMatches) {
    const CommandResult byName = preview({"--config", configFile, "--artist", "Ambient Works", "--track", "T"});
    EXPECT_EQ(byName.status, 0);
    EXPECT_NE(byName.out.find("Vibe:    quiet (matched \u201Cambient\u201D in the artist\u2019s name)\n"),
              std::string::npos)
        << byName.out;
    EXPECT_NE(byName.out.find("Theme:   Plain\n"), std::string::npos) << byName.out;

    const CommandResult byDefault =
        preview({"--config", configFile, "--artist", "X", "--track", "T", "--genre", "Polka"});
    EXPECT_EQ(byDefault.status, 0);
    EXPECT_NE(byDefault.out.find("Vibe:    listening (the default vibe \u2014 nothing else matched)\n"),
              std::string::npos)
        << byDefault.out;
}

TEST_F(PreviewCommandTest, GenresCountInTheOrderGiven) {
    // Neither genre alone names a keyword; together, in this order, they do ("hip hop").
    const CommandResult together = preview(
        {"--config", configFile, "--artist", "X", "--track", "T", "--genre", "Hip", "--genre", "Hop", "--json"});
    EXPECT_EQ(nlohmann::json::parse(together.out)["hit"], "hip hop");
    const CommandResult reversed = preview(
        {"--config", configFile, "--artist", "X", "--track", "T", "--genre", "Hop", "--genre", "Hip", "--json"});
    EXPECT_EQ(nlohmann::json::parse(reversed.out)["vibe"], "listening");
}

TEST_F(PreviewCommandTest, JsonHasTheDocumentedShape) {
    const CommandResult result = preview(
        {"--config", configFile, "--artist", "Ames", "--track", std::string(150, 't'), "--genre", "Rap", "--json"});
    EXPECT_EQ(result.status, 0);
    const nlohmann::json json = nlohmann::json::parse(result.out);
    EXPECT_EQ(json.size(), 6u);
    EXPECT_EQ(json["vibe"], "hip-hop");
    EXPECT_EQ(json["hit"], "rap");
    EXPECT_EQ(json["status_emoji"], ":microphone:");
    EXPECT_EQ(json["theme"], "Dagger");
    EXPECT_EQ(json["length"], 100);
    const std::string status = json["status_text"];
    EXPECT_TRUE(status.starts_with("\u2020 Beats and bars \u00B7 ttt")) << status;
    EXPECT_TRUE(status.ends_with("t\u2026 \u2014 Ames \u2020")) << status;

    const nlohmann::json byDefault =
        nlohmann::json::parse(preview({"--config", configFile, "--artist", "X", "--track", "T", "--json"}).out);
    EXPECT_TRUE(byDefault["hit"].is_null());
    EXPECT_EQ(byDefault["vibe"], "listening");
}

TEST_F(PreviewCommandTest, NoVibeExitsThree) {
    writeBytes(configFile,
               R"({"vibes": [{"name": "a", "status_text": "b", "status_emoji": ":x:", "match": ["rock"]}]})");
    const CommandResult text = preview({"--config", configFile, "--artist", "X", "--track", "T"});
    EXPECT_EQ(text.status, PreviewCommand::kExitNoVibe);
    EXPECT_EQ(text.out, std::string(PreviewCommand::kNoVibe) + "\n");

    const CommandResult json = preview({"--config", configFile, "--artist", "X", "--track", "T", "--json"});
    EXPECT_EQ(json.status, PreviewCommand::kExitNoVibe);
    EXPECT_EQ(nlohmann::json::parse(json.out), nlohmann::json::parse(R"({"vibe": null, "hit": null})"));
}

TEST_F(PreviewCommandTest, UsageErrorsExitTwo) {
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {},
             {"--artist", "A"},
             {"--track", "T"},
             {"--artist", "A", "--track", "T", "--colour", "red"},
             {"--artist", "A", "--track", "T", "extra"},
             {"--artist", "A", "--track"},
         }) {
        const CommandResult result = preview(arguments);
        EXPECT_EQ(result.status, PreviewCommand::kExitUsage);
        EXPECT_TRUE(result.out.empty());
        EXPECT_EQ(result.err.rfind("nimbrel preview: ", 0), 0u) << result.err;
        EXPECT_NE(result.err.find(PreviewCommand::kHelp), std::string::npos);
    }
}

TEST_F(PreviewCommandTest, HelpGoesToStandardOutput) {
    const CommandResult result = preview({"--help"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, PreviewCommand::kHelp);
}

TEST_F(PreviewCommandTest, UnreadableOrUndecodableFileExitsOneWithTheReason) {
    const CommandResult missing =
        preview({"--config", (folder / "absent.json").string(), "--artist", "A", "--track", "T"});
    EXPECT_EQ(missing.status, PreviewCommand::kExitFileError);
    EXPECT_NE(missing.err.find("absent.json"), std::string::npos) << missing.err;
    EXPECT_NE(missing.err.find("No such file or directory"), std::string::npos) << missing.err;
    EXPECT_TRUE(missing.out.empty());

    writeBytes(configFile, R"({"vibes": [{"name": "a", "status_text": "b"}]})");
    const CommandResult broken = preview({"--config", configFile, "--artist", "A", "--track", "T"});
    EXPECT_EQ(broken.status, PreviewCommand::kExitFileError);
    EXPECT_NE(broken.err.find("vibes[0].status_emoji: "), std::string::npos) << broken.err;

    writeBytes(configFile, "{\n  \"theme\": plain\n}");
    const CommandResult syntax = preview({"--config", configFile, "--artist", "A", "--track", "T"});
    EXPECT_EQ(syntax.status, PreviewCommand::kExitFileError);
    EXPECT_NE(syntax.err.find("line 2, column 12: "), std::string::npos) << syntax.err;
}

TEST_F(PreviewCommandTest, FirstRunWritesTheBuiltInConfiguration) {
    const CommandResult result = preview({"--artist", "Ames", "--track", "Song", "--genre", "Electronic", "--json"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(readBytes(folder / "home" / "config.json"), builtInConfigText);
    const nlohmann::json json = nlohmann::json::parse(result.out);
    EXPECT_EQ(json["vibe"], "energy");
    EXPECT_EQ(json["status_text"], "Energy levels: elevated \u00B7 \U0001F3B6 Song \u2014 Ames");
    EXPECT_EQ(json["length"], 39);
    EXPECT_TRUE(result.err.empty()) << result.err;
}

TEST_F(PreviewCommandTest, UsesTheUsersFile) {
    std::filesystem::create_directories(folder / "home");
    writeBytes(folder / "home" / "config.json", testing::kSmallConfig);
    const CommandResult result = preview({"--artist", "A", "--track", "T", "--genre", "rap", "--json"});
    EXPECT_EQ(nlohmann::json::parse(result.out)["theme"], "Dagger");
    EXPECT_EQ(readBytes(folder / "home" / "config.json"), testing::kSmallConfig);
}

TEST_F(PreviewCommandTest, BrokenUsersFileFallsBackAsTheProgramDoesAndSaysSo) {
    std::filesystem::create_directories(folder / "home");
    const std::string broken = R"({"poll_seconds": "often"})";
    writeBytes(folder / "home" / "config.json", broken);
    const CommandResult result = preview({"--artist", "Ames", "--track", "Song", "--genre", "Electronic"});
    // The preview still shows what the program would do, but the status says the file was not usable.
    EXPECT_EQ(result.status, PreviewCommand::kExitFileError);
    EXPECT_NE(result.out.find("Vibe:    energy"), std::string::npos) << result.out;
    EXPECT_NE(result.err.find(PreviewCommand::kFallbackWarning), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("poll_seconds: "), std::string::npos) << result.err;
    // Previewing never changes the file.
    EXPECT_EQ(readBytes(folder / "home" / "config.json"), broken);
}

// A folder that cannot be written names the file once and does not call it unreadable: it is missing.
TEST_F(PreviewCommandTest, AnUnwritableFolderIsReportedOnceAndTheBuiltInConfigurationServes) {
    writeBytes(folder / "home", "a file where the folder should be");
    const CommandResult result = preview({"--artist", "Ames", "--track", "Song", "--genre", "Electronic"});
    EXPECT_EQ(result.status, PreviewCommand::kExitMatched);
    EXPECT_NE(result.out.find("Vibe:    energy"), std::string::npos) << result.out;
    const std::string file = (folder / "home" / "config.json").string();
    EXPECT_EQ(result.err, "nimbrel preview: config: could not write the built-in configuration \u2014 couldn\u2019t "
                          "create \u201C" +
                              file + "\u201D: Not a directory\n");
}

TEST_F(PreviewCommandTest, AReadOnlyFolderIsReportedOnce) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only folders";
    }
    std::filesystem::create_directories(folder / "home");
    std::filesystem::permissions(folder / "home",
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const CommandResult result = preview({"--artist", "Ames", "--track", "Song"});
    std::filesystem::permissions(folder / "home", std::filesystem::perms::owner_all);
    EXPECT_EQ(result.status, PreviewCommand::kExitMatched);
    EXPECT_EQ(result.err, "nimbrel preview: config: could not write the built-in configuration \u2014 couldn\u2019t "
                          "create \u201C" +
                              (folder / "home" / "config.json").string() + "\u201D: Permission denied\n");
}

TEST_F(PreviewCommandTest, ATrackTitledLikeAnOptionIsPreviewedNotTakenForHelp) {
    const CommandResult result = preview({"--config", configFile, "--artist", "A", "--track", "-h"});
    EXPECT_EQ(result.status, PreviewCommand::kExitMatched) << result.err;
    EXPECT_NE(result.out.find("Music is on \u00B7 -h \u2014 A"), std::string::npos) << result.out;
}

TEST_F(PreviewCommandTest, TextThatIsNotUtf8StillGivesValidJson) {
    const CommandResult result = preview({"--config", configFile, "--artist", "A\xff", "--track", "T\xc3", "--json"});
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(nlohmann::json::accept(result.out)) << result.out;
}

} // namespace
} // namespace nimbrel::cli
