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

TEST(ParseArguments, ValuesSwitchesAndPositionals) {
    const ParsedArguments parsed =
        parseArguments({"--artist", "Ames", "--genre=Rock", "file.json", "--genre", "Pop", "--json"}, kOptions, 1);
    EXPECT_EQ(parsed.value("--artist"), "Ames");
    EXPECT_EQ(parsed.allValues("--genre"), (std::vector<std::string>{"Rock", "Pop"}));
    EXPECT_TRUE(parsed.has("--json"));
    EXPECT_FALSE(parsed.has("--missing"));
    EXPECT_EQ(parsed.value("--missing"), std::nullopt);
    EXPECT_TRUE(parsed.allValues("--missing").empty());
    EXPECT_EQ(parsed.positionals, (std::vector<std::string>{"file.json"}));
    EXPECT_FALSE(parsed.helpRequested);
}

TEST(ParseArguments, ValuesAreTakenAsTheyStand) {
    const ParsedArguments parsed =
        parseArguments({"--artist", "-M-", "--genre", "", "--genre=a=b", "--", "--json"}, kOptions, 1);
    EXPECT_EQ(parsed.value("--artist"), "-M-");
    EXPECT_EQ(parsed.allValues("--genre"), (std::vector<std::string>{"", "a=b"}));
    EXPECT_FALSE(parsed.has("--json"));
    EXPECT_EQ(parsed.positionals, (std::vector<std::string>{"--json"}));
}

TEST(ParseArguments, HelpWinsOverMistakes) {
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"--help"}, {"-h"}, {"--nonsense", "--help"}, {"--artist", "a", "--artist", "b", "-h"}}) {
        EXPECT_TRUE(parseArguments(arguments, kOptions, 0).helpRequested);
    }
    EXPECT_FALSE(parseArguments({"--", "--help"}, kOptions, 1).helpRequested);
}

// The value of an option is text, whatever it looks like: a track may be titled "-h".
TEST(ParseArguments, AnOptionsValueIsNeverARequestForHelp) {
    const ParsedArguments parsed = parseArguments({"--genre", "-h", "--genre=--help"}, kOptions, 0);
    EXPECT_FALSE(parsed.helpRequested);
    EXPECT_EQ(parsed.allValues("--genre"), (std::vector<std::string>{"-h", "--help"}));
}

TEST(ParseArguments, UsageErrorsSayWhy) {
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"--colour"}, "unknown option \u201C--colour\u201D"},
        {{"--colour=red"}, "unknown option \u201C--colour\u201D"},
        {{"--artist"}, "--artist needs a value"},
        {{"--artist", "a", "--artist", "b"}, "--artist may be given only once"},
        {{"--json", "--json"}, "--json may be given only once"},
        {{"--json=yes"}, "--json takes no value"},
        {{"one", "two"}, "unexpected argument \u201Ctwo\u201D"},
        {{"-x"}, "unknown option \u201C-x\u201D"},
    };
    for (const Case& c : cases) {
        try {
            parseArguments(c.arguments, kOptions, 1);
            ADD_FAILURE() << "accepted: " << c.message;
        } catch (const UsageError& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
}

} // namespace
} // namespace nimbrel::cli
