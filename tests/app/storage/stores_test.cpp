// What the three stores share: reading, keeping an unusable file aside, saving, and what they log.
#include <functional>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/storage/app_state_store.h"
#include "app/storage/config_store.h"
#include "app/storage/genre_cache_store.h"
#include "tests/support/collected_log.h"
#include "tests/support/temporary_folder.h"

namespace nimbrel {
namespace {

using std::chrono::hours;
using testing::CollectedLog;
using testing::readBytes;
using testing::TemporaryFolder;
using testing::writeBytes;

const Instant kNow = Instant(std::chrono::seconds(1'740'852'245)); // 2025-03-01T18:04:05Z
const auto kClock = [] {
    return std::chrono::system_clock::time_point(kNow.time_since_epoch());
};
constexpr std::string_view kStamp = ".unreadable-20250301T180405Z";

// One store behind a common face: load the file, then save a fresh value over it.
struct StoreCase {
    std::string_view name;
    std::string_view context;
    std::function<void(const AppFolder&, const LogSink&)> loadAndSave;
};

const StoreCase kStores[] = {
    {AppFolder::kConfigFileName, "applyConfig",
     [](const AppFolder& folder, const LogSink& log) {
         ConfigStore store(folder, log, kClock);
         store.load();
         EXPECT_EQ(store.save(VibeConfig{}), std::nullopt);
     }},
    {AppFolder::kStateFileName, "AppState",
     [](const AppFolder& folder, const LogSink& log) {
         AppStateStore store(folder, log, kClock);
         store.load();
         EXPECT_EQ(store.save(AppState{}), std::nullopt);
     }},
    {AppFolder::kGenreCacheFileName, "genres",
     [](const AppFolder& folder, const LogSink& log) {
         GenreCacheStore store(folder, log, kClock);
         GenreCache cache = store.load().cache;
         EXPECT_EQ(store.save(cache, kNow), std::nullopt);
     }},
};

// A file that cannot be used is never lost, whichever store owns it and whatever is wrong with it.
TEST(Stores, EachKeepsAnUnusableFileAsideBeforeReplacingItAndLogsWhere) {
    for (const StoreCase& store : kStores) {
        for (const std::string_view kind : {"undecodable", "folder", "pipe", "forbidden"}) {
            if (kind == "forbidden" && ::geteuid() == 0) {
                continue; // root reads any file
            }
            TemporaryFolder folder;
            const std::filesystem::path file = folder / store.name;
            if (kind == "forbidden") {
                writeBytes(file, "{}");
                ::chmod(file.c_str(), 0);
            } else if (kind == "undecodable") {
                writeBytes(file, "[\"not the right shape\"]");
            } else if (kind == "folder") {
                std::filesystem::create_directory(file);
                writeBytes(file / "precious", "user data");
            } else {
                ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
            }
            CollectedLog log;
            store.loadAndSave(AppFolder(folder.path()), log.sink());

            const std::filesystem::path kept = folder / (std::string(store.name) + std::string(kStamp));
            EXPECT_TRUE(std::filesystem::is_regular_file(file)) << store.name << " " << kind;
            if (kind == "undecodable") {
                EXPECT_EQ(readBytes(kept), "[\"not the right shape\"]") << store.name;
            } else if (kind == "folder") {
                EXPECT_EQ(readBytes(kept / "precious"), "user data") << store.name;
            } else if (kind == "pipe") {
                EXPECT_TRUE(std::filesystem::is_fifo(kept)) << store.name;
            } else {
                EXPECT_EQ(std::filesystem::file_size(kept), 2u) << store.name;
            }
            ASSERT_FALSE(log.lines.empty()) << store.name << " " << kind;
            const std::string& line = log.lines.back().second;
            EXPECT_TRUE(line.starts_with(std::string(store.context) + ": " + std::string(store.name))) << line;
            EXPECT_TRUE(line.ends_with("kept as \u201C" + kept.string() + "\u201D before being replaced")) << line;
        }
    }
}

TEST(Stores, AFileThatCannotBeKeptAsideIsNotReplaced) {
    TemporaryFolder folder;
    // The kept name would be too long for the file system, so no copy can be made.
    const std::string name(240, 'n');
    writeBytes(folder / name, "{ broken");
    CollectedLog log;
    StoredFile file(AppFolder(folder.path()), name, 1024, {"test", "test: save failed \u2014 "}, log.sink(), kClock);
    EXPECT_EQ(file.load().problem, std::nullopt);
    file.noteUnusable("broken");
    const std::optional<FileError> error = file.save("{}");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, std::errc::filename_too_long);
    EXPECT_EQ(readBytes(folder / name), "{ broken");
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].second, "test: save failed \u2014 couldn\u2019t keep a copy of \u201C" +
                                       (folder / name).string() +
                                       "\u201D: " + std::string(StoredFile::kUnreadableNotKept) + "File name too long");
    // Still unusable, so the next save tries again rather than overwrite it.
    EXPECT_TRUE(file.save("{}").has_value());
}

// Saving and reading back each store is the crash-safety test's business; here, what loading notices.
TEST(Stores, LoadingLogsDroppedOwnSnapshotsAndAnUnusableCache) {
    TemporaryFolder folder;
    CollectedLog log;
    AppStateStore state(AppFolder(folder.path()), log.sink());
    writeBytes(state.path(), R"({"workspaces": {
        "TB": {"last_set_by_us": true, "last_set_text": "Song", "last_set_emoji": ":zap:",
               "saved_text": "Song", "saved_emoji": ":zap:", "saved_at": 781000000},
        "TA": {"saved_text": "Old", "saved_emoji": "", "saved_at": 781000000}},
        "recently_set_texts": ["Old"], "recently_set_emoji": [""]})");
    EXPECT_EQ(state.load().state.discardedSelfSnapshots, (std::vector<std::string>{"TA", "TB"}));

    GenreCacheStore genres(AppFolder(folder.path()), log.sink());
    writeBytes(genres.path(), R"({"entries": {"queen": {"genre": "Rock"}}})");
    EXPECT_TRUE(genres.load().cache.entries.empty());
    EXPECT_EQ(log.lines, (std::vector<std::pair<LogLevel, std::string>>{
                             {LogLevel::info, "AppState: discarded a saved status that was one of our own (TA, TB)"},
                             {LogLevel::error, std::string(GenreCacheStore::kUnreadableLine)}}));
}

TEST(Stores, GenreCacheSavePrunesTheCacheInMemoryToo) {
    TemporaryFolder folder;
    GenreCache cache;
    cache.record("Rock", "Queen", kNow - hours(1));
    cache.record(std::nullopt, "Nobody", kNow - hours(7)); // a stale miss
    cache.record("Jazz", "Miles", kNow - hours(24 * 31));  // a stale hit
    GenreCacheStore store(AppFolder(folder.path()), {});
    ASSERT_EQ(store.save(cache, kNow), std::nullopt);
    EXPECT_EQ(cache.entries.size(), 1u);
    EXPECT_EQ(GenreCacheStore::read(store.path()).cache, cache);
}

// Opening the folder removes what killed saves left behind.
TEST(Stores, LoadingRemovesTemporariesOfDeadSaves) {
    TemporaryFolder folder;
    // Process ids above the kernel's limit (4194304) belong to no process.
    writeBytes(folder / ".state.json.tmp-99999999-1", "a private copy");
    AppStateStore(AppFolder(folder.path()), {}).load();
    EXPECT_TRUE(folder.names().empty());
}

} // namespace
} // namespace nimbrel
