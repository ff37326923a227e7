#include "app/shell/launch_at_login.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/temporary_folder.h"

namespace nimbrel {
namespace {

using testing::readBytes;
using testing::TemporaryFolder;
using testing::writeBytes;
using State = LaunchAtLoginStatus::State;

void makeExecutable(const std::filesystem::path& path) {
    std::filesystem::create_directories(path.parent_path());
    writeBytes(path, "#!/bin/sh\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

bool validates(const std::filesystem::path& file) {
    const std::string command = std::string(NIMBREL_DESKTOP_FILE_VALIDATE) + " '" + file.string() + "'";
    return std::system(command.c_str()) == 0;
}

TEST(LaunchAtLogin, AutostartFileFollowsTheXdgRules) {
    const struct {
        const char* xdgConfigHome;
        const char* home;
        std::filesystem::path expected;
    } cases[] = {
        {"/cfg", "/home/ada", "/cfg/autostart/com.quillmoor.nimbrel.desktop"},
        {nullptr, "/home/ada", "/home/ada/.config/autostart/com.quillmoor.nimbrel.desktop"},
        {"", "/home/ada", "/home/ada/.config/autostart/com.quillmoor.nimbrel.desktop"},
        // A relative value is invalid and ignored.
        {"cfg", "/home/ada", "/home/ada/.config/autostart/com.quillmoor.nimbrel.desktop"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LaunchAtLogin::autostartFile(c.xdgConfigHome, c.home), c.expected) << c.expected;
    }
}

TEST(LaunchAtLogin, ExecValueIsTheShortNameOnlyForTheNimbrelOnPath) {
    TemporaryFolder folder;
    const auto ours = folder / "bin/nimbrel";
    const auto other = folder / "other/nimbrel";
    makeExecutable(ours);
    makeExecutable(other);
    const std::string bin = (folder / "bin").string();
    const std::string otherBin = (folder / "other").string();

    EXPECT_EQ(LaunchAtLogin::execValueFor(ours, "/nonexistent:" + bin), "nimbrel");
    // Another nimbrel comes first, or none is on PATH: the absolute path.
    EXPECT_EQ(LaunchAtLogin::execValueFor(ours, otherBin + ":" + bin), ours.string());
    EXPECT_EQ(LaunchAtLogin::execValueFor(ours, ""), ours.string());
}

TEST(LaunchAtLogin, ExecValueQuotesAndEscapesAsDesktopFilesRequire) {
    const struct {
        const char* executable;
        const char* expected;
    } cases[] = {
        {"/opt/nimbrel/bin/nimbrel", "/opt/nimbrel/bin/nimbrel"},
        {"/home/ada/My Apps/nimbrel", "\"/home/ada/My Apps/nimbrel\""},
        {"/home/ada/100%/nimbrel", "/home/ada/100%%/nimbrel"},
        // $ and " are escaped inside the quotes; each backslash is then doubled for the string value.
        {"/home/ada/$x\"y/nimbrel", "\"/home/ada/\\\\$x\\\\\"y/nimbrel\""},
        {"/home/ada/a\\b/nimbrel", "\"/home/ada/a\\\\\\\\b/nimbrel\""},
        {"/home/ada/tab\there/nimbrel", "\"/home/ada/tab\\there/nimbrel\""},
        {"/home/ada/caf\xc3\xa9/nimbrel", "/home/ada/caf\xc3\xa9/nimbrel"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LaunchAtLogin::execValueFor(c.executable, ""), std::string(c.expected)) << c.executable;
    }
    EXPECT_EQ(LaunchAtLogin::execValueFor("/home/ada/caf\xe9/nimbrel", ""), std::nullopt);
}

TEST(LaunchAtLogin, EnablingWritesOurFileAndDisablingRemovesIt) {
    TemporaryFolder folder;
    const auto file = LaunchAtLogin::autostartFile(folder.path().c_str(), "/unused");
    const LaunchAtLogin launch(file, "\"/opt/my apps/nimbrel\"");
    EXPECT_EQ(launch.status(), LaunchAtLoginStatus{State::off});
    EXPECT_EQ(launch.status().line(), "Off");

    EXPECT_EQ(launch.setEnabled(true), std::nullopt); // creates the autostart folder too
    EXPECT_EQ(launch.status().line(), "Enabled");
    const std::string contents = readBytes(file);
    EXPECT_NE(contents.find("\nExec=\"/opt/my apps/nimbrel\"\n"), std::string::npos) << contents;
    EXPECT_NE(contents.find("\nX-Nimbrel-Autostart=true\n"), std::string::npos) << contents;
    EXPECT_TRUE(validates(file)) << contents;
    // Enabling again rewrites our own file with the current command.
    EXPECT_EQ(LaunchAtLogin(file, "nimbrel").setEnabled(true), std::nullopt);
    EXPECT_NE(readBytes(file).find("\nExec=nimbrel\n"), std::string::npos);

    EXPECT_EQ(launch.setEnabled(false), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(launch.status().line(), "Off");
    EXPECT_EQ(launch.setEnabled(false), std::nullopt); // already off

    // Ours, switched off in place by the desktop's startup settings: off, and switching on again works.
    for (const char* switchedOff : {"Hidden=true\n", "X-GNOME-Autostart-enabled=false\n"}) {
        writeBytes(file, LaunchAtLogin::fileContents("nimbrel") + switchedOff);
        EXPECT_EQ(launch.status().line(), "Off") << switchedOff;
        EXPECT_EQ(launch.setEnabled(true), std::nullopt);
        EXPECT_EQ(launch.status().line(), "Enabled") << switchedOff;
    }
}

TEST(LaunchAtLogin, AFileThatIsNotOursIsNeverReplacedOrRemoved) {
    TemporaryFolder folder;
    const auto file = folder / "autostart" / std::string(LaunchAtLogin::kFileName);
    std::filesystem::create_directories(file.parent_path());
    const std::string foreign = "[Desktop Entry]\nType=Application\nName=Nimbrel\nExec=nimbrel --headless\n";
    writeBytes(file, foreign);
    const LaunchAtLogin launch(file, "nimbrel");

    const LaunchAtLoginStatus status = launch.status();
    EXPECT_EQ(status.state, State::problem);
    EXPECT_NE(status.line().find(file.string()), std::string::npos) << status.line();
    EXPECT_NE(status.line().find("wasn\u2019t written by Nimbrel"), std::string::npos) << status.line();
    for (const bool enabled : {true, false}) {
        EXPECT_EQ(launch.setEnabled(enabled), status.problem) << enabled;
        EXPECT_EQ(readBytes(file), foreign) << enabled;
    }
}

TEST(LaunchAtLogin, FailuresAreReportedAndTheStatusTellsTheTruth) {
    TemporaryFolder folder;
    {
        // The autostart "folder" is a file: nothing can be written under it.
        const auto blocked = folder / "blocked";
        std::filesystem::create_directories(blocked);
        writeBytes(blocked / "autostart", "not a folder");
        const LaunchAtLogin launch(blocked / "autostart" / std::string(LaunchAtLogin::kFileName), "nimbrel");
        const auto error = launch.setEnabled(true);
        ASSERT_TRUE(error.has_value());
        EXPECT_NE(error->find((blocked / "autostart").string()), std::string::npos) << *error;
        EXPECT_EQ(launch.status().state, State::problem); // it cannot be read either
        EXPECT_EQ(readBytes(blocked / "autostart"), "not a folder");
    }
    {
        // A folder where the file should be cannot be read, and is left as it is.
        const auto file = folder / "dir" / "autostart" / std::string(LaunchAtLogin::kFileName);
        std::filesystem::create_directories(file);
        const LaunchAtLogin launch(file, "nimbrel");
        const LaunchAtLoginStatus status = launch.status();
        EXPECT_EQ(status.state, State::problem);
        EXPECT_NE(status.problem.find(file.string()), std::string::npos) << status.problem;
        EXPECT_EQ(launch.setEnabled(true), status.problem);
        EXPECT_EQ(launch.setEnabled(false), status.problem);
        EXPECT_TRUE(std::filesystem::is_directory(file));
    }
    {
        // A program path that cannot go into a desktop file.
        const LaunchAtLogin launch(folder / "noexec" / std::string(LaunchAtLogin::kFileName), "");
        EXPECT_TRUE(launch.setEnabled(true).has_value());
        EXPECT_EQ(launch.status().line(), "Off");
    }
}

} // namespace
} // namespace nimbrel
