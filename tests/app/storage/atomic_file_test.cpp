#include "app/storage/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/temporary_folder.h"

namespace nimbrel {
namespace {

using testing::readBytes;
using testing::TemporaryFolder;
using testing::writeBytes;

constexpr std::size_t kLimit = 1024;

mode_t modeOf(const std::filesystem::path& path) {
    struct stat status {};
    ::stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

// A new file is private; an existing file keeps its mode; no temporary is left behind.
TEST(AtomicFileWrite, ReplacesWithExactlyTheBytes) {
    TemporaryFolder folder;
    const std::filesystem::path file = folder / "config.json";
    const mode_t previous = ::umask(022);
    for (const std::string& bytes : {std::string("{\n\0tail", 7), std::string(), std::string(3 * 1024 * 1024, 'x')}) {
        EXPECT_EQ(AtomicFile::write(file, bytes), std::nullopt);
        EXPECT_EQ(readBytes(file), bytes);
    }
    EXPECT_EQ(AtomicFile::create(folder / "created.json", "{}"), std::nullopt);
    writeBytes(folder / "shared.json", "old");
    ::chmod((folder / "shared.json").c_str(), 0644);
    EXPECT_EQ(AtomicFile::write(folder / "shared.json", "new"), std::nullopt);
    ::umask(previous);
    EXPECT_EQ(modeOf(file), 0600u);
    EXPECT_EQ(modeOf(folder / "created.json"), 0600u);
    EXPECT_EQ(modeOf(folder / "shared.json"), 0644u);
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"config.json", "created.json", "shared.json"}));
}

TEST(AtomicFileWrite, AFailureLeavesTheOldFileAndNamesTheFileAskedFor) {
    TemporaryFolder folder;
    // The name is taken by a folder: the rename fails after the temporary file was written.
    std::filesystem::create_directory(folder / "config.json");
    const std::optional<FileError> error = AtomicFile::write(folder / "config.json", "{}");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->path, folder / "config.json");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"config.json"});

    const std::optional<FileError> missing = AtomicFile::write(folder / "absent" / "config.json", "{}");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->description(), "couldn\u2019t write \u201C" + (folder / "absent" / "config.json").string() +
                                          "\u201D: No such file or directory");
}

// A dotfiles checkout links config.json elsewhere; the link must survive every write, dangling or not.
TEST(AtomicFileWrite, WritesThroughSymbolicLinksToTheFinalTarget) {
    TemporaryFolder folder;
    std::filesystem::create_directory(folder / "dotfiles");
    std::filesystem::create_symlink("dotfiles/nimbrel.json", folder / "relative.json");
    std::filesystem::create_symlink(folder / "relative.json", folder / "chain.json");
    // Dangling at first: the first write creates the file the link points at.
    EXPECT_EQ(AtomicFile::write(folder / "chain.json", "one"), std::nullopt);
    EXPECT_EQ(AtomicFile::write(folder / "relative.json", "two"), std::nullopt);
    EXPECT_EQ(readBytes(folder / "dotfiles" / "nimbrel.json"), "two");
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"chain.json", "dotfiles", "relative.json"}));
    EXPECT_EQ(AtomicFile::finalTarget(folder / "chain.json"), folder / "dotfiles/nimbrel.json");
}

TEST(AtomicFileCreate, CreatesThroughALinkButNeverReplacesAnything) {
    TemporaryFolder folder;
    std::filesystem::create_symlink("target.json", folder / "link.json");
    EXPECT_EQ(AtomicFile::create(folder / "link.json", "first"), std::nullopt);
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.json"));
    EXPECT_EQ(readBytes(folder / "target.json"), "first");
    for (const char* name : {"link.json", "target.json"}) {
        const std::optional<FileError> error = AtomicFile::create(folder / name, "second");
        ASSERT_TRUE(error);
        EXPECT_TRUE(error->isAlreadyThere());
    }
    EXPECT_EQ(readBytes(folder / "target.json"), "first");
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"link.json", "target.json"}));
}

TEST(AtomicFileKeepAside, ALinkedFileGetsASecondNameAndATakenNameIsRefused) {
    TemporaryFolder folder;
    writeBytes(folder / "real.json", "{ broken");
    std::filesystem::create_symlink("real.json", folder / "config.json");
    EXPECT_EQ(AtomicFile::keepAside(folder / "config.json", folder / "kept"), std::nullopt);
    EXPECT_EQ(AtomicFile::write(folder / "config.json", "{}"), std::nullopt);
    EXPECT_EQ(readBytes(folder / "kept"), "{ broken");
    EXPECT_EQ(readBytes(folder / "real.json"), "{}");

    const std::optional<FileError> taken = AtomicFile::keepAside(folder / "config.json", folder / "kept");
    ASSERT_TRUE(taken);
    EXPECT_TRUE(taken->isAlreadyThere());
    EXPECT_TRUE(AtomicFile::keepAside(folder / "absent.json", folder / "kept2").has_value());
}

// A named pipe would block a plain open forever; a link to /dev/zero would never end.
TEST(AtomicFileRead, ReadsARegularFileOrSaysWhyNot) {
    TemporaryFolder folder;
    constexpr std::size_t kMebibyte = 1024 * 1024;
    writeBytes(folder / "file", std::string("a\0b\xFF", 4));
    writeBytes(folder / "empty", "");
    writeBytes(folder / "large", std::string(kLimit + 1, 'x'));
    writeBytes(folder / "mebibytes", std::string(kMebibyte + 1, 'x'));
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", folder / "zero");
    struct Case {
        std::string name;
        std::size_t limit;
        std::string expected; // the bytes, or why not
    };
    const Case cases[] = {
        {"file", kLimit, std::string("a\0b\xFF", 4)},
        {"empty", kLimit, ""},
        {"large", kLimit + 1, std::string(kLimit + 1, 'x')},
        {"absent", kLimit,
         "couldn\u2019t read \u201C" + (folder / "absent").string() + "\u201D: No such file or directory"},
        {"fifo", kLimit, "it is a named pipe, not a file"},
        {"zero", kLimit, "it is a device, not a file"},
        {".", kLimit, "it is a folder, not a file"},
        {"large", kLimit, "it is larger than 1024 bytes, more than Nimbrel ever writes there"},
        {"mebibytes", kMebibyte, "it is larger than 1 MiB, more than Nimbrel ever writes there"},
    };
    for (const Case& c : cases) {
        const FileReadResult result = AtomicFile::read(folder / c.name, c.limit);
        const FileError* error = std::get_if<FileError>(&result);
        EXPECT_EQ(error != nullptr ? (error->isNotFound() ? error->description() : error->explanation())
                                   : std::get<std::string>(result),
                  c.expected)
            << c.name;
    }
}

// A save killed mid-way leaves its temporary behind; only those of processes that are gone are removed.
TEST(AtomicFileTemporaries, ThoseOfDeadProcessesAreRemoved) {
    TemporaryFolder folder;
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const std::string dead = std::to_string(child);
    const std::string alive = std::to_string(::getppid());
    const std::vector<std::string> kept = {".config.json.tmp-" + alive + "-3", ".config.json.tmp-x-1",
                                           "config.json.tmp-" + dead + "-1", "state.json"};
    for (const std::string& name : kept) {
        writeBytes(folder / name, "kept");
    }
    writeBytes(folder / (".config.json.tmp-" + dead + "-7"), "left by a killed save");
    writeBytes(folder / (".genre-cache.json.tmp-" + dead + "-12"), "left by a killed save");
    EXPECT_EQ(AtomicFile::removeAbandonedTemporaries(folder.path()), 2u);
    std::vector<std::string> sorted = kept;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(folder.names(), sorted);
}

} // namespace
} // namespace nimbrel
