#include "app/cli/dispatch.h"

#include <sstream>
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

int printingCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    out << arguments.at(0) << '\n';
    err << arguments.at(1) << '\n';
    return 3;
}

const Command kPrinting[] = {{"print", "Prints its arguments", printingCommand}};

// Text from files reaches the terminal; an escape sequence in it must not drive the terminal.
TEST(RunAndPrint, ControlCharactersAreMadeVisibleInBothStreams) {
    std::ostringstream out;
    std::ostringstream err;
    const int status =
        runAndPrint(kPrinting, {"print", "red\x1B[31m\tcaf\u00E9\rbell\x07\x7F", "nel\u0085end"}, out, err);
    EXPECT_EQ(status, 3);
    EXPECT_EQ(out.str(), "red\\u001b[31m\tcaf\u00E9\\u000dbell\\u0007\\u007f\n");
    EXPECT_EQ(err.str(), "nel\\u0085end\n");
}

// A stream that fails every write, as standard output does on a full disk.
class FullDisk : public std::streambuf {
protected:
    int_type overflow(int_type) override { return traits_type::eof(); }
    std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

TEST(RunAndPrint, OutputThatCannotBeWrittenIsAFailure) {
    FullDisk full;
    std::ostream out(&full);
    std::ostringstream err;
    EXPECT_EQ(runAndPrint(kPrinting, {"print", "result", "note"}, out, err), kExitOutputFailed);
    EXPECT_TRUE(err.str().starts_with("note\nnimbrel: couldn\u2019t write the output")) << err.str();
}

} // namespace
} // namespace nimbrel::cli
