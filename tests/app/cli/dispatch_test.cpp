#include "app/cli/dispatch.h"

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/app/cli/cli_test_support.h"

namespace nimbrel::cli {
namespace {

std::vector<std::string> received;

// Prints its first argument to standard output and its second, if any, to standard error.
int printingCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    received = arguments;
    out << (arguments.empty() ? "ran" : arguments[0]) << '\n';
    if (arguments.size() > 1) {
        err << arguments[1] << '\n';
    }
    return 7;
}

const Command kTable[] = {
    {"first", "The first command", printingCommand},
    {"second", "The second command", printingCommand},
};

testing::CommandResult dispatch(const std::vector<std::string>& arguments) {
    return testing::runInProcess([](const std::vector<std::string>& a, std::ostream& out,
                                    std::ostream& err) { return runNimbrel(kTable, a, out, err); },
                                 arguments);
}

TEST(RunNimbrel, RoutesToTheNamedCommandOrExplains) {
    const testing::CommandResult ran = dispatch({"second", "--x"});
    EXPECT_EQ(ran.status, 7);
    EXPECT_EQ(received, (std::vector<std::string>{"--x"}));

    EXPECT_EQ(dispatch({"help", "first"}).status, 7);
    EXPECT_EQ(received, (std::vector<std::string>{"--help"}));

    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{{}, {"-h"}, {"help"}}) {
        const testing::CommandResult usage = dispatch(arguments);
        EXPECT_EQ(usage.status, 0);
        EXPECT_NE(usage.out.find("  second          The second command\n"), std::string::npos) << usage.out;
    }

    const testing::CommandResult unknown = dispatch({"frobnicate"});
    EXPECT_EQ(unknown.status, kExitUsage);
    EXPECT_TRUE(unknown.out.empty());
    EXPECT_TRUE(unknown.err.starts_with("nimbrel: unknown command \u201Cfrobnicate\u201D\n")) << unknown.err;
}

// Text from files reaches the terminal; an escape sequence in it must not drive the terminal.
TEST(RunAndPrint, ControlCharactersAreMadeVisibleInBothStreams) {
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runAndPrint(kTable, {"first", "red\x1B[31m\tcaf\u00E9\rbell\x07\x7F", "nel\u0085end"}, out, err), 7);
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
    EXPECT_EQ(runAndPrint(kTable, {"first", "result", "note"}, out, err), kExitOutputFailed);
    EXPECT_TRUE(err.str().starts_with("note\nnimbrel: couldn\u2019t write the output")) << err.str();
}

} // namespace
} // namespace nimbrel::cli
