#include "app/storage/config_store.h"

#include <gtest/gtest.h>

#include "core/config/built_in_config.h"
#include "tests/support/collected_log.h"
#include "tests/support/temporary_folder.h"

namespace nimbrel {
namespace {

using testing::readBytes;
using testing::TemporaryFolder;
using testing::writeBytes;

// 2026-12-06 19:15:00 UTC.
const std::chrono::system_clock::time_point kNow =
    std::chrono::sys_days{std::chrono::year{2026} / 12 / 6} + std::chrono::hours{19} + std::chrono::minutes{15};
constexpr std::string_view kKeptName = "config.json.unreadable-20261206T191500Z";

// A store over a fresh folder that collects what it logs.
class ConfigStoreTest : public ::testing::Test {
protected:
    ConfigStore makeStore() {
        return ConfigStore(AppFolder(folder), log.sink(), [] { return kNow; });
    }

    TemporaryFolder temporary;
    std::filesystem::path folder = temporary / "Nimbrel";
    std::filesystem::path file = folder / "config.json";
    testing::CollectedLog log;
};

VibeConfig edited() {
    VibeConfig config = builtInConfig().value();
    config.pollSeconds = 60;
    config.vibes.resize(2);
    return config;
}

// A dotfiles checkout: config.json links to a file that does not exist yet; the link survives every write.
TEST_F(ConfigStoreTest, AFirstStartWritesTheShippedDocumentByteForByteThroughALink) {
    std::filesystem::create_directories(folder);
    std::filesystem::create_symlink(temporary / "dotfiles.json", file);
    ConfigStore store = makeStore();
    EXPECT_EQ(store.load(), builtInConfig().value());
    EXPECT_EQ(readBytes(temporary / "dotfiles.json"), readBytes(NIMBREL_BUILT_IN_CONFIG_PATH));
    EXPECT_EQ(store.unreadable(), std::nullopt);

    EXPECT_EQ(store.save(edited()), std::nullopt);
    EXPECT_TRUE(std::filesystem::is_symlink(file));
    EXPECT_EQ(readBytes(temporary / "dotfiles.json"), edited().encodedData());
    EXPECT_EQ(makeStore().load(), edited());
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(ConfigStoreTest, AnUnusableFileFallsBackQuietlyAndIsNotTouchedUntilMended) {
    struct Row {
        std::string text;
        UnreadableConfig why;
    };
    const Row rows[] = {
        {R"({"vibes": [{"name": "a", "status_text": "b"}]})", {"vibes[0].status_emoji", "required text is missing"}},
        {"", {"line 1, column 1", "the document is empty"}},
        {std::string(ConfigStore::kMaxBytes + 1, ' '),
         {"", "it is larger than 8 MiB, more than Nimbrel ever writes there"}},
    };
    std::filesystem::create_directories(folder);
    ConfigStore store = makeStore();
    for (const Row& row : rows) {
        writeBytes(file, row.text);
        EXPECT_EQ(store.load(), builtInConfig().value());
        EXPECT_EQ(store.unreadable(), row.why);
        EXPECT_EQ(readBytes(file), row.text);
    }
    // A reload of a mended file forgets the old trouble: the next save keeps nothing aside.
    writeBytes(file, R"({"theme": "emo"})");
    EXPECT_EQ(store.load().themeID, "emo");
    EXPECT_EQ(store.unreadable(), std::nullopt);
    EXPECT_EQ(store.save(VibeConfig{}), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(folder / kKeptName));
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(ConfigStoreTest, TheFirstSaveAfterwardsKeepsTheUnusableFileOnceAndSaysWhyAndWhere) {
    std::filesystem::create_directories(folder);
    writeBytes(folder / kKeptName, "an earlier copy");
    writeBytes(file, "{\n  \"theme\": \"plain\"\n  \"vibes\": []\n}");
    ConfigStore store = makeStore();
    store.load();

    EXPECT_EQ(store.save(edited()), std::nullopt);
    const std::filesystem::path kept = folder / (std::string(kKeptName) + "-2");
    EXPECT_EQ(readBytes(folder / kKeptName), "an earlier copy");
    EXPECT_EQ(readBytes(kept), "{\n  \"theme\": \"plain\"\n  \"vibes\": []\n}");
    EXPECT_EQ(readBytes(file), edited().encodedData());
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_TRUE(log.lines[0].second.starts_with("applyConfig: config.json could not be read (line 3, column 9: "))
        << log.lines[0].second;
    EXPECT_EQ(store.unreadable(), std::nullopt);

    // Exactly once: the next save just writes.
    EXPECT_EQ(store.save(VibeConfig{}), std::nullopt);
    EXPECT_EQ(log.lines.size(), 1u);
}

TEST_F(ConfigStoreTest, FailuresToWriteAreLoggedAndTheBuiltInConfigurationServes) {
    // Unwritable in a way that holds even for root: a file stands where the folder should be.
    writeBytes(folder, "not a folder");
    ConfigStore store = makeStore();
    EXPECT_EQ(store.load(), builtInConfig().value());
    EXPECT_EQ(store.unreadable(), std::nullopt) << "a file that is not there is missing, not unreadable";
    const std::optional<FileError> error = store.save(edited());
    ASSERT_TRUE(error);
    EXPECT_EQ(log.lines, (std::vector<std::pair<LogLevel, std::string>>{
                             {LogLevel::info, "config: could not write the built-in configuration \u2014 couldn\u2019t "
                                              "create \u201C" +
                                                  file.string() + "\u201D: Not a directory"},
                             {LogLevel::error, "applyConfig: save failed \u2014 couldn\u2019t write \u201C" +
                                                   file.string() + "\u201D: Not a directory"}}));
    EXPECT_EQ(readBytes(folder), "not a folder");
}

TEST_F(ConfigStoreTest, ReadingHasNoSideEffects) {
    const ConfigReading missing = ConfigStore::read(file);
    EXPECT_EQ(missing.config, builtInConfig().value());
    EXPECT_EQ(missing.failure(file), "couldn\u2019t read \u201C" + file.string() + "\u201D: No such file or directory");
    EXPECT_TRUE(temporary.names().empty());
}

} // namespace
} // namespace nimbrel
