#include "app/storage/app_folder.h"

#include <map>

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include "tests/support/temporary_folder.h"

namespace nimbrel {
namespace {

AppFolder::Environment environment(std::map<std::string, std::string, std::less<>> variables) {
    return [variables = std::move(variables)](std::string_view name) -> std::optional<std::string> {
        const auto found = variables.find(name);
        if (found == variables.end()) {
            return std::nullopt;
        }
        return found->second;
    };
}

TEST(AppFolder, TheEnvironmentChoosesTheFolder) {
    struct Row {
        std::map<std::string, std::string, std::less<>> variables;
        const char* expected;
    };
    const Row rows[] = {
        {{{"NIMBREL_HOME", "/srv/nimbrel"}, {"XDG_CONFIG_HOME", "/x"}, {"HOME", "/home/ada"}}, "/srv/nimbrel"},
        {{{"NIMBREL_HOME", "relative/dir"}, {"HOME", "/home/ada"}}, "relative/dir"},
        {{{"XDG_CONFIG_HOME", "/x/config"}, {"HOME", "/home/ada"}}, "/x/config/Nimbrel"},
        {{{"NIMBREL_HOME", ""}, {"XDG_CONFIG_HOME", "/x/config"}, {"HOME", "/home/ada"}}, "/x/config/Nimbrel"},
        {{{"HOME", "/home/ada"}}, "/home/ada/.config/Nimbrel"},
        {{{"XDG_CONFIG_HOME", ""}, {"HOME", "/home/ada"}}, "/home/ada/.config/Nimbrel"},
        // A relative XDG_CONFIG_HOME is invalid and ignored.
        {{{"XDG_CONFIG_HOME", "config"}, {"HOME", "/home/ada"}}, "/home/ada/.config/Nimbrel"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(AppFolder::defaultPath(environment(row.variables)), std::filesystem::path(row.expected))
            << row.expected;
    }
}

TEST(AppFolder, WithoutHomeTheUserDatabaseAnswers) {
    const passwd* entry = ::getpwuid(::getuid());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(AppFolder::defaultPath(environment({})), std::filesystem::path(entry->pw_dir) / ".config/Nimbrel");
    EXPECT_EQ(AppFolder::defaultPath(environment({{"HOME", ""}})),
              std::filesystem::path(entry->pw_dir) / ".config/Nimbrel");
}

TEST(AppFolder, FromEnvironmentHonoursNimbrelHome) {
    testing::TemporaryFolder temporary;
    const std::filesystem::path home = temporary / "from-env";
    ASSERT_EQ(::setenv("NIMBREL_HOME", home.c_str(), 1), 0);
    const AppFolder folder = AppFolder::fromEnvironment();
    ::unsetenv("NIMBREL_HOME");
    EXPECT_EQ(folder.path(), home);
}

TEST(AppFolder, LocatingAFileCreatesTheFolderAndItsParents) {
    testing::TemporaryFolder temporary;
    const AppFolder folder(temporary / "a/b/Nimbrel");
    EXPECT_FALSE(std::filesystem::exists(folder.path()));
    EXPECT_EQ(folder.locate(AppFolder::kConfigFileName), temporary / "a/b/Nimbrel/config.json");
    EXPECT_TRUE(std::filesystem::is_directory(folder.path()));
    // Again, and after the folder was removed behind the program's back.
    EXPECT_EQ(folder.locate(AppFolder::kStateFileName), temporary / "a/b/Nimbrel/state.json");
    std::filesystem::remove_all(temporary / "a");
    EXPECT_EQ(folder.locate(AppFolder::kGenreCacheFileName), temporary / "a/b/Nimbrel/genre-cache.json");
    EXPECT_TRUE(std::filesystem::is_directory(folder.path()));
}

TEST(AppFolder, AFolderThatCannotBeCreatedIsNotAnErrorUntilAFileIsWritten) {
    testing::TemporaryFolder temporary;
    testing::writeBytes(temporary / "blocker", "a file where the folder should be");
    const AppFolder folder(temporary / "blocker/Nimbrel");
    EXPECT_EQ(folder.locate("config.json"), temporary / "blocker/Nimbrel/config.json");
    EXPECT_FALSE(std::filesystem::exists(folder.path()));
}

} // namespace
} // namespace nimbrel
