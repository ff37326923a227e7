#include "app/cli/command_line.h"

#include <array>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace nimbrel::cli {
namespace {

constexpr std::array kOptions = {
    OptionSpec{"--artist", true, false},
    OptionSpec{"--genre", true, true},
    OptionSpec{"--json", false, false},
};

// Values are text as they stand, whatever they look like: a track may be titled "-h" or "--help".
TEST(ParseArguments, ValuesSwitchesAndPositionals) {
    const ParsedArguments parsed = parseArguments(
        {"--artist", "-M-", "--genre=a=b", "file.json", "--genre", "-h", "--genre", "", "--json", "--", "--help"},
        kOptions, 2);
    EXPECT_EQ(parsed.value("--artist"), "-M-");
    EXPECT_EQ(parsed.allValues("--genre"), (std::vector<std::string>{"a=b", "-h", ""}));
    EXPECT_TRUE(parsed.has("--json"));
    EXPECT_EQ(parsed.value("--missing"), std::nullopt);
    EXPECT_EQ(parsed.positionals, (std::vector<std::string>{"file.json", "--help"}));
    EXPECT_FALSE(parsed.helpRequested);
}

TEST(ParseArguments, HelpWinsOverMistakesAndUsageErrorsSayWhy) {
    struct Case {
        std::vector<std::string> arguments;
        std::string message; // empty: help is requested
    };
    const std::vector<Case> cases = {
        {{"--help"}, ""},
        {{"--nonsense", "-h"}, ""},
        {{"--artist", "a", "--artist", "b", "--help"}, ""},
        {{"--colour=red"}, "unknown option \u201C--colour\u201D"},
        {{"-x"}, "unknown option \u201C-x\u201D"},
        {{"--artist"}, "--artist needs a value"},
        {{"--artist", "a", "--artist", "b"}, "--artist may be given only once"},
        {{"--json", "--json"}, "--json may be given only once"},
        {{"--json=yes"}, "--json takes no value"},
        {{"one", "two"}, "unexpected argument \u201Ctwo\u201D"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.front());
        try {
            EXPECT_EQ(parseArguments(c.arguments, kOptions, 1).helpRequested, c.message.empty());
            EXPECT_TRUE(c.message.empty()) << "accepted";
        } catch (const UsageError& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
}

} // namespace
} // namespace nimbrel::cli
