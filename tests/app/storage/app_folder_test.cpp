#include "app/storage/app_folder.h"

#include <map>

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
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
        std::filesystem::path expected;
    };
    const passwd* entry = ::getpwuid(::getuid());
    ASSERT_NE(entry, nullptr);
    const std::filesystem::path fromDatabase = std::filesystem::path(entry->pw_dir) / ".config/Nimbrel";
    const Row rows[] = {
        {{{"NIMBREL_HOME", "/srv/nimbrel"}, {"XDG_CONFIG_HOME", "/x"}, {"HOME", "/home/ada"}}, "/srv/nimbrel"},
        {{{"NIMBREL_HOME", "relative/dir"}, {"HOME", "/home/ada"}}, "relative/dir"},
        {{{"XDG_CONFIG_HOME", "/x/config"}, {"HOME", "/home/ada"}}, "/x/config/Nimbrel"},
        {{{"NIMBREL_HOME", ""}, {"XDG_CONFIG_HOME", "/x/config"}, {"HOME", "/home/ada"}}, "/x/config/Nimbrel"},
        {{{"HOME", "/home/ada"}}, "/home/ada/.config/Nimbrel"},
        {{{"XDG_CONFIG_HOME", ""}, {"HOME", "/home/ada"}}, "/home/ada/.config/Nimbrel"},
        // A relative XDG_CONFIG_HOME is invalid and ignored.
        {{{"XDG_CONFIG_HOME", "config"}, {"HOME", "/home/ada"}}, "/home/ada/.config/Nimbrel"},
        // Without HOME the user database answers.
        {{}, fromDatabase},
        {{{"HOME", ""}}, fromDatabase},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(AppFolder::defaultPath(environment(row.variables)), row.expected) << row.expected;
    }
}

// The folder holds private data: what the program creates is the user's alone, what exists stays as it is.
TEST(AppFolder, CreatesTheFolderAndTheParentsItLacksPrivateOrSaysWhereItCannot) {
    testing::TemporaryFolder temporary;
    std::filesystem::create_directory(temporary / "a");
    ::chmod((temporary / "a").c_str(), 0755);
    const mode_t previous = ::umask(022);
    const AppFolder folder(temporary / "a/b/Nimbrel");
    EXPECT_EQ(folder.create(), std::nullopt);
    EXPECT_EQ(folder.create(), std::nullopt);
    ::umask(previous);
    for (const char* path : {"a/b", "a/b/Nimbrel"}) {
        EXPECT_EQ(std::filesystem::status(temporary / path).permissions(), std::filesystem::perms::owner_all) << path;
    }
    EXPECT_EQ(std::filesystem::status(temporary / "a").permissions() & std::filesystem::perms::others_read,
              std::filesystem::perms::others_read);
    EXPECT_EQ(folder.file(AppFolder::kStateFileName), temporary / "a/b/Nimbrel/state.json");

    testing::writeBytes(temporary / "blocker", "a file where the folder should be");
    const std::optional<FileError> error = AppFolder(temporary / "blocker/Nimbrel").create();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->path, temporary / "blocker");
    EXPECT_EQ(error->code, std::errc::not_a_directory);
}

} // namespace
} // namespace nimbrel
