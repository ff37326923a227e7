#include "app/storage/genre_cache_store.h"

#include <gtest/gtest.h>

#include "tests/support/collected_log.h"
#include "tests/support/temporary_folder.h"

namespace nimbrel {
namespace {

using testing::CollectedLog;

using std::chrono::hours;
using std::chrono::seconds;

const Instant kNow = Instant(seconds(1'740'852'245)); // 2025-03-01T18:04:05Z

TEST(GenreCacheStore, NoLocationOrMissingFileStartsEmptySilently) {
    testing::TemporaryFolder folder;
    CollectedLog log;
    EXPECT_TRUE(GenreCacheStore::load(std::nullopt, log.sink()).cache.entries.empty());
    const GenreCacheStore::Loaded loaded = GenreCacheStore::load((folder / "genre-cache.json"), log.sink());
    EXPECT_TRUE(loaded.cache.entries.empty());
    EXPECT_FALSE(loaded.fileFound);
    EXPECT_TRUE(log.lines.empty());
}

TEST(GenreCacheStore, SavePrunesAndWritesPrettySortedJson) {
    testing::TemporaryFolder folder;
    const auto file = (folder / "genre-cache.json");
    GenreCache cache;
    cache.record("Rock", "Queen", kNow - hours(1));
    cache.record(std::nullopt, "Nobody", kNow - hours(7)); // a stale miss
    cache.record("Jazz", "Miles", kNow - hours(24 * 31));  // a stale hit
    cache.record(std::nullopt, "Somebody", kNow);
    CollectedLog log;
    ASSERT_TRUE(GenreCacheStore::save(cache, kNow, file, log.sink()));
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(cache.entries.size(), 2u) << "the in-memory cache is pruned too";
    EXPECT_EQ(testing::readBytes(file), R"({
  "entries": {
    "queen": {
      "genre": "Rock",
      "storedAt": "2025-03-01T17:04:05Z"
    },
    "somebody": {
      "storedAt": "2025-03-01T18:04:05Z"
    }
  }
})");
    const GenreCacheStore::Loaded loaded = GenreCacheStore::load(file, log.sink());
    EXPECT_EQ(loaded.cache, cache);
    EXPECT_TRUE(log.lines.empty());
}

TEST(GenreCacheStore, MalformedFileIsReportedAndReplacedAtTheNextSave) {
    testing::TemporaryFolder folder;
    const auto file = (folder / "genre-cache.json");
    testing::writeBytes(file, R"({"entries": {"queen": {"genre": "Rock"}}})");
    CollectedLog log;
    GenreCacheStore::Loaded loaded = GenreCacheStore::load(file, log.sink());
    EXPECT_TRUE(loaded.cache.entries.empty());
    EXPECT_EQ(loaded.problem, "entries.queen.storedAt: required text is missing");
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].first, LogLevel::error);
    EXPECT_EQ(log.lines[0].second, "genres: the genre cache was unreadable — starting a fresh one");
    EXPECT_EQ(testing::readBytes(file), R"({"entries": {"queen": {"genre": "Rock"}}})") << "left on disk until saved";

    loaded.cache.record("Pop", "Someone", kNow);
    ASSERT_TRUE(GenreCacheStore::save(loaded.cache, kNow, file, log.sink()));
    EXPECT_EQ(GenreCacheStore::load(file, log.sink()).cache, loaded.cache);
    EXPECT_EQ(log.lines.size(), 1u);
}

TEST(GenreCacheStore, WriteFailureIsLoggedAndKeepsTheCache) {
    testing::TemporaryFolder folder;
    const auto file = (folder / "no-such-folder") / "genre-cache.json";
    GenreCache cache;
    cache.record("Rock", "Queen", kNow);
    CollectedLog log;
    EXPECT_FALSE(GenreCacheStore::save(cache, kNow, file, log.sink()));
    EXPECT_EQ(cache.entries.size(), 1u);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].first, LogLevel::error);
    EXPECT_TRUE(log.lines[0].second.starts_with("genres: couldn’t save the genre cache — ")) << log.lines[0].second;
    EXPECT_GT(log.lines[0].second.size(), std::string("genres: couldn’t save the genre cache — ").size());
}

TEST(GenreCacheStore, UnreadableFileStartsEmptySilently) {
    testing::TemporaryFolder folder;
    // A folder where the file should be cannot be read as one, whoever runs the test.
    const auto file = (folder / "genre-cache.json");
    std::filesystem::create_directory(file);
    CollectedLog log;
    const GenreCacheStore::Loaded loaded = GenreCacheStore::load(file, log.sink());
    EXPECT_TRUE(loaded.cache.entries.empty());
    EXPECT_TRUE(loaded.fileFound);
    EXPECT_TRUE(loaded.problem.has_value());
    EXPECT_TRUE(log.lines.empty());
}

} // namespace
} // namespace nimbrel
