#include "app/storage/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/temporary_folder.h"

namespace nimbrel {
namespace {

using testing::readBytes;
using testing::TemporaryFolder;
using testing::writeBytes;

std::filesystem::perms permissionsOf(const std::filesystem::path& path) {
    return std::filesystem::status(path).permissions();
}

TEST(AtomicFileWrite, CreatesAndReplacesWithExactlyTheBytes) {
    TemporaryFolder folder;
    const std::filesystem::path file = folder / "config.json";
    const std::string first("{\n  \"a\": \"caf\u00E9\"\n}\0tail", 24);
    EXPECT_EQ(AtomicFile::write(file, first), std::nullopt);
    EXPECT_EQ(readBytes(file), first);

    EXPECT_EQ(AtomicFile::write(file, "{}"), std::nullopt);
    EXPECT_EQ(readBytes(file), "{}");
    EXPECT_EQ(AtomicFile::write(file, ""), std::nullopt);
    EXPECT_EQ(readBytes(file), "");

    const std::string large(3 * 1024 * 1024 + 17, 'x');
    EXPECT_EQ(AtomicFile::write(file, large), std::nullopt);
    EXPECT_EQ(readBytes(file), large);
    // No temporary file is left behind.
    EXPECT_EQ(folder.names(), std::vector<std::string>{"config.json"});
}

TEST(AtomicFileWrite, KeepsThePermissionsOfTheFileItReplaces) {
    TemporaryFolder folder;
    const std::filesystem::path file = folder / "state.json";
    writeBytes(file, "old");
    std::filesystem::permissions(file, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(AtomicFile::write(file, "new"), std::nullopt);
    EXPECT_EQ(readBytes(file), "new");
    EXPECT_EQ(permissionsOf(file), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(AtomicFileWrite, ANewFileGetsTheUsualPermissions) {
    TemporaryFolder folder;
    const mode_t previous = ::umask(022);
    EXPECT_EQ(AtomicFile::write(folder / "new.json", "{}"), std::nullopt);
    ::umask(previous);
    EXPECT_EQ(permissionsOf(folder / "new.json"),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read | std::filesystem::perms::others_read);
}

TEST(AtomicFileWrite, AFailureLeavesTheOldFileWholeAndNoTemporaryFile) {
    TemporaryFolder folder;
    // The name is taken by a folder: the rename fails after the temporary file was written.
    std::filesystem::create_directory(folder / "config.json");
    writeBytes(folder / "config.json" / "inside", "kept");
    const std::optional<FileError> error = AtomicFile::write(folder / "config.json", "{}");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->path, folder / "config.json");
    EXPECT_EQ(error->code, std::errc::is_a_directory);
    EXPECT_EQ(error->description(),
              "couldn\u2019t write \u201C" + (folder / "config.json").string() + "\u201D: Is a directory");
    EXPECT_EQ(readBytes(folder / "config.json" / "inside"), "kept");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"config.json"});
}

TEST(AtomicFileWrite, AMissingFolderIsReportedForTheFileAskedFor) {
    TemporaryFolder folder;
    writeBytes(folder / "not-a-folder", "x");
    const std::optional<FileError> error = AtomicFile::write(folder / "not-a-folder" / "config.json", "{}");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->path, folder / "not-a-folder" / "config.json");
    EXPECT_EQ(error->code, std::errc::not_a_directory);
    EXPECT_EQ(error->action, "write");

    const std::optional<FileError> missing = AtomicFile::write(folder / "absent" / "config.json", "{}");
    ASSERT_TRUE(missing);
    EXPECT_TRUE(missing->isNotFound());
}

TEST(AtomicFileCreate, NeverReplacesAnything) {
    TemporaryFolder folder;
    const std::filesystem::path file = folder / "copy";
    EXPECT_EQ(AtomicFile::create(file, "first"), std::nullopt);
    EXPECT_EQ(readBytes(file), "first");
    const std::optional<FileError> error = AtomicFile::create(file, "second");
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->isAlreadyThere());
    EXPECT_EQ(error->action, "create");
    EXPECT_EQ(readBytes(file), "first");
}

TEST(AtomicFileKeepCopy, TheCopySurvivesTheOriginalBeingReplaced) {
    TemporaryFolder folder;
    const std::filesystem::path file = folder / "config.json";
    writeBytes(file, "{ broken");
    EXPECT_EQ(AtomicFile::keepCopy(file, folder / "kept"), std::nullopt);
    EXPECT_EQ(AtomicFile::write(file, "{}"), std::nullopt);
    EXPECT_EQ(readBytes(folder / "kept"), "{ broken");
    EXPECT_EQ(readBytes(file), "{}");
}

TEST(AtomicFileKeepCopy, ATakenNameOrAMissingFileFails) {
    TemporaryFolder folder;
    writeBytes(folder / "config.json", "mine");
    writeBytes(folder / "kept", "older copy");
    const std::optional<FileError> taken = AtomicFile::keepCopy(folder / "config.json", folder / "kept");
    ASSERT_TRUE(taken);
    EXPECT_TRUE(taken->isAlreadyThere());
    EXPECT_EQ(readBytes(folder / "kept"), "older copy");

    const std::optional<FileError> missing = AtomicFile::keepCopy(folder / "absent.json", folder / "kept2");
    ASSERT_TRUE(missing);
    EXPECT_TRUE(missing->isNotFound());
    EXPECT_EQ(missing->description(), "couldn\u2019t keep a copy of \u201C" + (folder / "absent.json").string() +
                                          "\u201D: No such file or directory");
}

TEST(AtomicFileKeepCopy, AFolderCannotBeKept) {
    TemporaryFolder folder;
    std::filesystem::create_directory(folder / "config.json");
    const std::optional<FileError> error = AtomicFile::keepCopy(folder / "config.json", folder / "kept");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, std::errc::is_a_directory);
    EXPECT_FALSE(std::filesystem::exists(folder / "kept"));
}

TEST(AtomicFileRead, ReadsEveryByteOrSaysWhyNot) {
    TemporaryFolder folder;
    const std::string bytes("\xEF\xBB\xBF{}\r\n\0\xFF", 8);
    writeBytes(folder / "file", bytes);
    const FileReadResult read = AtomicFile::read(folder / "file");
    ASSERT_TRUE(std::holds_alternative<std::string>(read));
    EXPECT_EQ(std::get<std::string>(read), bytes);

    writeBytes(folder / "empty", "");
    EXPECT_EQ(std::get<std::string>(AtomicFile::read(folder / "empty")), "");

    const FileReadResult missing = AtomicFile::read(folder / "absent");
    ASSERT_TRUE(std::holds_alternative<FileError>(missing));
    EXPECT_TRUE(std::get<FileError>(missing).isNotFound());
    EXPECT_EQ(std::get<FileError>(missing).action, "read");

    const FileReadResult directory = AtomicFile::read(folder.path());
    ASSERT_TRUE(std::holds_alternative<FileError>(directory));
    EXPECT_EQ(std::get<FileError>(directory).code, std::errc::is_a_directory);
}

} // namespace
} // namespace nimbrel
