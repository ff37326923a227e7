// The built program, run as a user runs it: one pass over every command and the exit statuses that
// only the real process shows (standard output on a full disk).
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/wait.h>

#include "tests/app/cli/cli_test_support.h"

namespace nimbrel::cli {
namespace {

using testing::readBytes;
using testing::writeBytes;

class ExecutableSmokeTest : public testing::CommandTest {
protected:
    // Runs the program with `arguments` (paths only, which need no quoting here); the exit status.
    int run(const std::string& arguments, const std::string& stdoutPath = "") {
        const std::string out = stdoutPath.empty() ? (folder / "stdout.txt").string() : stdoutPath;
        const std::string command =
            "'" NIMBREL_EXECUTABLE "' " + arguments + " >'" + out + "' 2>'" + (folder / "stderr.txt").string() + "'";
        const int raw = std::system(command.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    std::string out() const { return readBytes(folder / "stdout.txt"); }
    std::string err() const { return readBytes(folder / "stderr.txt"); }
};

TEST_F(ExecutableSmokeTest, EveryCommandRunsAndExitsAsDocumented) {
    const std::string broken = (folder / "broken.json").string();
    writeBytes(broken, R"({"default_vibe": {"name": "x", "status_emoji": ":x:"}})");
    EXPECT_EQ(run("check-config '" + broken + "'"), 1);
    EXPECT_NE(err().find(broken + ": default_vibe.status_text: "), std::string::npos) << err();

    const std::string small = (folder / "small.json").string();
    writeBytes(small, testing::kSmallConfig);
    EXPECT_EQ(run("preview --config '" + small + "' --artist Ames --track Song --genre Rap --json"), 0) << err();
    EXPECT_EQ(nlohmann::json::parse(out())["hit"], "rap");

    EXPECT_EQ(run("doctor --json"), 0) << err();
    EXPECT_TRUE(nlohmann::json::parse(out()).contains("recently_set"));
    EXPECT_EQ(run("preview --artist Ames"), 2);
    EXPECT_EQ(run("frobnicate"), 2);
    EXPECT_EQ(run("--help"), 0);
}

TEST_F(ExecutableSmokeTest, OutputToAFullDiskIsAFailure) {
    EXPECT_EQ(run("--help", "/dev/full"), 1);
    EXPECT_EQ(err(), "nimbrel: couldn\u2019t write the output: No space left on device\n");
}

} // namespace
} // namespace nimbrel::cli
