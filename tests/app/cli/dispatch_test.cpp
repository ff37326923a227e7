#include "app/cli/dispatch.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/app/cli/cli_test_support.h"

namespace nimbrel::cli {
namespace {

std::vector<std::string> received;

int recordingCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream&) {
    received = arguments;
    out << "ran\n";
    return 7;
}

const Command kTable[] = {
    {"first", "The first command", recordingCommand},
    {"second", "The second command", recordingCommand},
};

testing::CommandResult dispatch(const std::vector<std::string>& arguments) {
    return testing::runInProcess([](const std::vector<std::string>& a, std::ostream& out,
                                    std::ostream& err) { return runNimbrel(kTable, a, out, err); },
                                 arguments);
}

TEST(RunNimbrel, PassesTheRestToTheNamedCommand) {
    const testing::CommandResult result = dispatch({"second", "--x", "y"});
    EXPECT_EQ(result.status, 7);
    EXPECT_EQ(result.out, "ran\n");
    EXPECT_EQ(received, (std::vector<std::string>{"--x", "y"}));
}

TEST(RunNimbrel, UsageListsEveryCommand) {
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{}, {"--help"}, {"-h"}, {"help"}}) {
        const testing::CommandResult result = dispatch(arguments);
        EXPECT_EQ(result.status, 0);
        EXPECT_NE(result.out.find("  first           The first command\n"), std::string::npos) << result.out;
        EXPECT_NE(result.out.find("  second          The second command\n"), std::string::npos) << result.out;
        EXPECT_TRUE(result.err.empty());
    }
}

TEST(RunNimbrel, HelpForACommandAsksTheCommand) {
    const testing::CommandResult result = dispatch({"help", "first"});
    EXPECT_EQ(result.status, 7);
    EXPECT_EQ(received, (std::vector<std::string>{"--help"}));
}

TEST(RunNimbrel, UnknownCommandIsAUsageError) {
    const testing::CommandResult result = dispatch({"frobnicate"});
    EXPECT_EQ(result.status, kExitUsage);
    EXPECT_TRUE(result.out.empty());
    EXPECT_EQ(result.err.rfind("nimbrel: unknown command \u201Cfrobnicate\u201D\n", 0), 0u) << result.err;
}

} // namespace
} // namespace nimbrel::cli
