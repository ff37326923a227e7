#include "app/storage/config_store.h"

#include <gtest/gtest.h>

#include "core/config/built_in_config.h"
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

struct LoggedLine {
    LogLevel level;
    std::string text;
    friend bool operator==(const LoggedLine&, const LoggedLine&) = default;
};

void PrintTo(const LoggedLine& line, std::ostream* out) {
    *out << static_cast<int>(line.level) << " " << line.text;
}

// A store over a fresh folder that collects what it logs.
class ConfigStoreTest : public ::testing::Test {
protected:
    ConfigStore makeStore(std::filesystem::path at) {
        return ConfigStore(
            AppFolder(std::move(at)),
            [this](LogLevel level, std::string_view line) {
                logged.push_back({level, std::string(line)});
            },
            [] { return kNow; });
    }

    std::string shippedBytes() const { return readBytes(NIMBREL_BUILT_IN_CONFIG_PATH); }

    TemporaryFolder temporary;
    std::filesystem::path folder = temporary / "Nimbrel";
    std::filesystem::path file = folder / "config.json";
    std::vector<LoggedLine> logged;
};

VibeConfig edited() {
    VibeConfig config = builtInConfig().value();
    config.pollSeconds = 60;
    config.vibes.resize(2);
    return config;
}

TEST_F(ConfigStoreTest, AFirstStartWritesTheShippedDocumentByteForByte) {
    ConfigStore store = makeStore(folder);
    const VibeConfig loaded = store.load();

    const std::string written = readBytes(file);
    EXPECT_EQ(written, shippedBytes());
    EXPECT_EQ(written, builtInConfigText);
    EXPECT_EQ(written.back(), '}');
    EXPECT_NE(written.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(loaded, builtInConfig().value());
    EXPECT_EQ(store.unreadable(), std::nullopt);
    EXPECT_TRUE(logged.empty());
    EXPECT_EQ(store.path(), file);
}

TEST_F(ConfigStoreTest, AnExistingFileIsReadAndLeftAlone) {
    std::filesystem::create_directories(folder);
    const std::string text = R"({"theme": "shrug", "poll_seconds": 300, "_note": "mine"})";
    writeBytes(file, text);
    ConfigStore store = makeStore(folder);
    const VibeConfig loaded = store.load();
    EXPECT_EQ(loaded.themeID, "shrug");
    EXPECT_EQ(loaded.pollSeconds, 300);
    EXPECT_TRUE(loaded.vibes.empty());
    EXPECT_EQ(readBytes(file), text);
    EXPECT_EQ(store.unreadable(), std::nullopt);
}

TEST_F(ConfigStoreTest, SavingWritesTheEncoderOutput) {
    ConfigStore store = makeStore(folder);
    store.load();
    const VibeConfig config = edited();
    EXPECT_TRUE(store.save(config));
    EXPECT_EQ(readBytes(file), config.encodedData());
    EXPECT_EQ(readBytes(file).find("_slack_help"), std::string::npos);
    EXPECT_EQ(makeStore(folder).load(), config);
    EXPECT_EQ(temporary.names(), std::vector<std::string>{"Nimbrel"});
    EXPECT_TRUE(logged.empty());
}

TEST_F(ConfigStoreTest, AnUnreadableFileFallsBackQuietlyAndIsNotTouched) {
    struct Row {
        const char* text;
        UnreadableConfig why;
    };
    const Row rows[] = {
        {"{\n  \"theme\": \"plain\",\n  oops\n}", {"line 3, column 3", ""}},
        {R"({"vibes": [{"name": "a", "status_text": "b"}, {}, {}]})",
         {"vibes[0].status_emoji", "required text is missing"}},
        {R"({"poll_seconds": "often"})", {"poll_seconds", "expected a whole number, found a string"}},
        {"", {"line 1, column 1", "the document is empty"}},
    };
    for (const Row& row : rows) {
        std::filesystem::create_directories(folder);
        writeBytes(file, row.text);
        ConfigStore store = makeStore(folder);
        EXPECT_EQ(store.load(), builtInConfig().value()) << row.text;
        ASSERT_TRUE(store.unreadable()) << row.text;
        EXPECT_EQ(store.unreadable()->location, row.why.location) << row.text;
        if (!row.why.reason.empty()) {
            EXPECT_EQ(store.unreadable()->reason, row.why.reason) << row.text;
        }
        EXPECT_EQ(readBytes(file), row.text);
        EXPECT_TRUE(logged.empty());
    }
}

TEST_F(ConfigStoreTest, TheFirstSaveAfterwardsKeepsTheUnreadableFileAndSaysWhyAndWhere) {
    std::filesystem::create_directories(folder);
    const std::string broken = R"({"vibes": [{"name": "a", "status_text": "b", "status_emoji": "c"},
        {"name": "a", "status_text": "b", "status_emoji": "c"}, {"name": "mine", "status_text": "typo"}]})";
    writeBytes(file, broken);
    ConfigStore store = makeStore(folder);
    store.load();

    const VibeConfig config = edited();
    EXPECT_TRUE(store.save(config));

    const std::filesystem::path kept = folder / kKeptName;
    EXPECT_EQ(readBytes(kept), broken);
    EXPECT_EQ(readBytes(file), config.encodedData());
    EXPECT_EQ(logged, (std::vector<LoggedLine>{
                          {LogLevel::error,
                           "applyConfig: config.json could not be read (vibes[2].status_emoji: required text is "
                           "missing), so it was kept as \u201C" +
                               kept.string() + "\u201D before being replaced"}}));
    EXPECT_EQ(store.unreadable(), std::nullopt);

    // Exactly once: the next save just writes.
    VibeConfig changed = config;
    changed.animateMenuBar = false;
    EXPECT_TRUE(store.save(changed));
    EXPECT_EQ(readBytes(file), changed.encodedData());
    EXPECT_EQ(logged.size(), 1u);
    EXPECT_EQ(readBytes(kept), broken);
    std::vector<std::string> inFolder;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        inFolder.push_back(entry.path().filename().string());
    }
    std::sort(inFolder.begin(), inFolder.end());
    EXPECT_EQ(inFolder, (std::vector<std::string>{"config.json", std::string(kKeptName)}));
}

TEST_F(ConfigStoreTest, ASyntaxErrorIsReportedByLineAndColumn) {
    std::filesystem::create_directories(folder);
    writeBytes(file, "{\n  \"theme\": \"plain\"\n  \"vibes\": []\n}");
    ConfigStore store = makeStore(folder);
    store.load();
    EXPECT_TRUE(store.save(VibeConfig{}));
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].text.rfind("applyConfig: config.json could not be read (line 3, column 9: not valid JSON (", 0),
              0u)
        << logged[0].text;
}

TEST_F(ConfigStoreTest, KeptNamesNeverReplaceEarlierCopies) {
    std::filesystem::create_directories(folder);
    writeBytes(folder / kKeptName, "first copy");
    writeBytes(folder / (std::string(kKeptName) + "-2"), "second copy");
    writeBytes(file, "{ third");

    ConfigStore store = makeStore(folder);
    store.load();
    EXPECT_TRUE(store.save(VibeConfig{}));
    EXPECT_EQ(readBytes(folder / kKeptName), "first copy");
    EXPECT_EQ(readBytes(folder / (std::string(kKeptName) + "-2")), "second copy");
    EXPECT_EQ(readBytes(folder / (std::string(kKeptName) + "-3")), "{ third");
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_NE(logged[0].text.find(std::string(kKeptName) + "-3\u201D"), std::string::npos) << logged[0].text;
}

TEST_F(ConfigStoreTest, AReloadOfAMendedFileForgetsTheOldTrouble) {
    std::filesystem::create_directories(folder);
    writeBytes(file, "{ broken");
    ConfigStore store = makeStore(folder);
    store.load();
    ASSERT_TRUE(store.unreadable());

    writeBytes(file, R"({"theme": "emo"})");
    EXPECT_EQ(store.load().themeID, "emo");
    EXPECT_EQ(store.unreadable(), std::nullopt);
    EXPECT_TRUE(store.save(VibeConfig{}));
    EXPECT_FALSE(std::filesystem::exists(folder / kKeptName));
    EXPECT_TRUE(logged.empty());
}

TEST_F(ConfigStoreTest, AFileRemovedBeforeTheSaveNeedsNoCopy) {
    std::filesystem::create_directories(folder);
    writeBytes(file, "{ broken");
    ConfigStore store = makeStore(folder);
    store.load();
    std::filesystem::remove(file);
    EXPECT_TRUE(store.save(VibeConfig{}));
    EXPECT_EQ(readBytes(file), VibeConfig{}.encodedData());
    EXPECT_TRUE(logged.empty());
    EXPECT_EQ(store.unreadable(), std::nullopt);
}

TEST_F(ConfigStoreTest, AFileThatCannotBeKeptIsNotReplaced) {
    // A folder where config.json should be cannot be read, linked or copied.
    std::filesystem::create_directories(file);
    writeBytes(file / "precious", "user data");
    ConfigStore store = makeStore(folder);
    EXPECT_EQ(store.load(), builtInConfig().value());
    ASSERT_TRUE(store.unreadable());
    EXPECT_EQ(*store.unreadable(), (UnreadableConfig{file.string(), "Is a directory"}));

    EXPECT_FALSE(store.save(VibeConfig{}));
    EXPECT_EQ(readBytes(file / "precious"), "user data");
    EXPECT_EQ(logged, (std::vector<LoggedLine>{
                          {LogLevel::error, "applyConfig: save failed \u2014 config.json could not be read and no copy "
                                            "of it could be kept, so it was left as it is: couldn\u2019t keep a copy "
                                            "of \u201C" +
                                                file.string() + "\u201D: Is a directory"}}));
    // It is still unreadable, so the next save tries again rather than overwrite it.
    EXPECT_TRUE(store.unreadable());
    EXPECT_FALSE(store.save(VibeConfig{}));
    EXPECT_EQ(logged.size(), 2u);
}

TEST_F(ConfigStoreTest, AFailedSaveIsLoggedAndLeavesTheFileAsItWas) {
    ConfigStore store = makeStore(folder);
    store.load();
    // The folder becomes unwritable in a way that holds even for root: it is replaced by a file.
    std::filesystem::remove_all(folder);
    writeBytes(folder, "not a folder");
    EXPECT_FALSE(store.save(edited()));
    EXPECT_EQ(logged, (std::vector<LoggedLine>{{LogLevel::error, "applyConfig: save failed \u2014 couldn\u2019t write "
                                                                 "\u201C" +
                                                                     file.string() + "\u201D: Not a directory"}}));
    EXPECT_EQ(readBytes(folder), "not a folder");
}

TEST_F(ConfigStoreTest, AFirstRunWriteThatFailsStillGivesTheBuiltInConfiguration) {
    writeBytes(folder, "not a folder");
    ConfigStore store = makeStore(folder);
    EXPECT_EQ(store.load(), builtInConfig().value());
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].level, LogLevel::info);
    EXPECT_EQ(logged[0].text, "config: could not write the built-in configuration \u2014 couldn\u2019t write \u201C" +
                                  file.string() + "\u201D: Not a directory");
    ASSERT_TRUE(store.unreadable());
    EXPECT_EQ(store.unreadable()->reason, "Not a directory");
}

TEST_F(ConfigStoreTest, LoggingIsOptional) {
    std::filesystem::create_directories(folder);
    writeBytes(file, "{ broken");
    ConfigStore store(AppFolder(folder), LogSink(), [] { return kNow; });
    store.load();
    EXPECT_TRUE(store.save(VibeConfig{}));
    EXPECT_EQ(readBytes(folder / kKeptName), "{ broken");
}

TEST(ConfigStoreTimestamp, UtcToTheSecond) {
    EXPECT_EQ(ConfigStore::timestamp(kNow), "20261206T191500Z");
    EXPECT_EQ(ConfigStore::timestamp(kNow + std::chrono::milliseconds{999}), "20261206T191500Z");
    EXPECT_EQ(ConfigStore::timestamp(std::chrono::system_clock::time_point{}), "19700101T000000Z");
    EXPECT_EQ(ConfigStore::timestamp(std::chrono::sys_days{std::chrono::year{2031} / 1 / 2} + std::chrono::hours{3} +
                                     std::chrono::minutes{4} + std::chrono::seconds{5}),
              "20310102T030405Z");
}

} // namespace
} // namespace nimbrel
