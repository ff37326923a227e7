#include "core/genres/genre_cache.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/decode_failure.h"

namespace nimbrel {
namespace {

using std::chrono::hours;
using std::chrono::seconds;

const Instant t = Instant(seconds(1'740'852'245)); // 2025-03-01T18:04:05Z

TEST(GenreCache, KeyIsTheArtistIdentity) {
    EXPECT_EQ(GenreCache::key("The Lanterns"), GenreCache::key("lanterns"));
    EXPECT_EQ(GenreCache::key("  Beyoncé  "), GenreCache::key("BEYONCE"));
    EXPECT_EQ(GenreCache::key("Simon & Garfunkel"), GenreCache::key("simon and  garfunkel"));
    EXPECT_EQ(GenreCache::key("   "), "");
    // Collapsing white space comes before the article is dropped, so "the " alone is the word "the" and a key
    // like any other; only blank names have no key.
    EXPECT_EQ(GenreCache::key("the "), "the");
}

TEST(GenreCache, HitFoundUnderNormalisedNameUntilThirtyDays) {
    GenreCache cache;
    cache.record("Indie Rock", "The Lanterns", t);
    EXPECT_EQ(cache.lookup("lanterns", t + hours(24)), GenreCache::Lookup::genre("Indie Rock"));
    EXPECT_EQ(cache.lookup("LANTERNS", t + seconds(2'591'999)), GenreCache::Lookup::genre("Indie Rock"));
    EXPECT_EQ(cache.lookup("lanterns", t + seconds(2'592'000)), GenreCache::Lookup::unknown());
    EXPECT_EQ(cache.entries.size(), 1u) << "a stale entry stays until pruned";
}

TEST(GenreCache, MissesLastSixHours) {
    for (const std::optional<std::string>& miss :
         {std::optional<std::string>(), std::optional<std::string>("   "), std::optional<std::string>("\n\t")}) {
        GenreCache cache;
        cache.record(miss, "Nobody", t);
        ASSERT_EQ(cache.entries.size(), 1u);
        EXPECT_EQ(cache.entries.begin()->second.genre, std::nullopt);
        EXPECT_EQ(cache.lookup("nobody", t + seconds(21'599)), GenreCache::Lookup::none());
        EXPECT_EQ(cache.lookup("nobody", t + seconds(21'600)), GenreCache::Lookup::unknown());
    }
}

TEST(GenreCache, RecordTrimsAndReplaces) {
    GenreCache cache;
    cache.record("  Jazz \n", "Miles", t);
    EXPECT_EQ(cache.lookup("miles", t), GenreCache::Lookup::genre("Jazz"));
    cache.record(std::nullopt, "Miles", t + hours(1));
    EXPECT_EQ(cache.lookup("miles", t + hours(1)), GenreCache::Lookup::none()) << "a new miss overwrites a hit";
    cache.record("Bebop", "MILES", t + hours(2));
    EXPECT_EQ(cache.lookup("miles", t + hours(2)), GenreCache::Lookup::genre("Bebop"));
    EXPECT_EQ(cache.entries.size(), 1u);
}

TEST(GenreCache, EmptyKeysChangeNothing) {
    GenreCache cache;
    cache.record("Pop", "\t\n ", t);
    EXPECT_TRUE(cache.entries.empty());
    cache.record("Pop", "Someone", t);
    EXPECT_EQ(cache.lookup("  ", t), GenreCache::Lookup::unknown());
}

TEST(GenreCache, PruneKeepsExactlyTheFresh) {
    GenreCache cache;
    cache.record("Rock", "Old hit", t - seconds(2'592'000));
    cache.record("Rock", "Recent hit", t - seconds(2'591'999));
    cache.record(std::nullopt, "Old miss", t - seconds(21'600));
    cache.record(std::nullopt, "Recent miss", t - seconds(21'599));
    cache.record("Pop", "Dated in the future", t + hours(1)); // unknown, and pruned
    EXPECT_EQ(cache.lookup("dated in the future", t), GenreCache::Lookup::unknown());
    EXPECT_EQ(cache.freshCount(t), 2u);
    cache.prune(t);
    std::vector<std::string> keys;
    for (const auto& [key, entry] : cache.entries) {
        keys.push_back(key);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"recent hit", "recent miss"}));
}

// Many artists share few genres: each genre is listed once, in the user's order ignoring case. (How fast
// this is for a large cache is measured by the observedGenres benchmark.)
TEST(GenreCache, ObservedGenresEachOnceInCaseInsensitiveOrder) {
    EXPECT_TRUE(GenreCache().observedGenres().empty());
    GenreCache cache;
    const char* genres[] = {"rock", "Jazz", "Ambient", "Rock", "jazz"};
    for (int artist = 0; artist < 1000; ++artist) {
        cache.record(genres[artist % 5], "Artist " + std::to_string(artist), t);
    }
    cache.record(std::nullopt, "Unknown", t);
    cache.record("Zydeco", "Stale", t - hours(24 * 365)); // stale entries still count
    EXPECT_EQ(cache.observedGenres(), (std::vector<std::string>{"Ambient", "Jazz", "jazz", "Rock", "rock", "Zydeco"}));
}

TEST(GenreCacheJson, Layout) {
    GenreCache cache;
    cache.record("Rock", "Queen", t + std::chrono::milliseconds(700));
    cache.record(std::nullopt, "Nobody", t);
    EXPECT_EQ(cache.encodedData(), R"({
  "entries": {
    "nobody": {
      "storedAt": "2025-03-01T18:04:05Z"
    },
    "queen": {
      "genre": "Rock",
      "storedAt": "2025-03-01T18:04:05Z"
    }
  }
})");
}

TEST(GenreCacheJson, RoundTripKeepsWholeSeconds) {
    GenreCache cache;
    cache.record("Rock", "Queen", t);
    cache.record(std::nullopt, "Nobody", t - hours(3));
    cache.record("Électro", "Daft Punk", t - hours(300));
    EXPECT_EQ(GenreCache::decode(cache.encodedData()), cache);
}

TEST(GenreCacheJson, ReadsOffsetsAndMissingGenre) {
    const GenreCache cache = GenreCache::decode(
        R"({"entries": {"a": {"genre": "Pop", "storedAt": "2025-03-01T19:04:05+01:00"}, "b": {"storedAt": "2025-03-01T18:04:05Z", "genre": null}}, "other": 1})");
    EXPECT_EQ(cache.entries.at("a"), (GenreCache::Entry{"Pop", t}));
    EXPECT_EQ(cache.entries.at("b"), (GenreCache::Entry{std::nullopt, t}));
}

TEST(GenreCacheJson, Malformed) {
    struct Row {
        std::string document;
        std::string location;
    };
    const std::vector<Row> rows = {
        {"", ""},
        {"{}", "entries"},
        {R"({"entries": []})", "entries"},
        {R"({"entries": {"a": {"genre": "Pop"}}})", "entries.a.storedAt"},
        {R"({"entries": {"a": {"storedAt": "2025-03-01T18:04:05.250Z"}}})", "entries.a.storedAt"},
        {R"({"entries": {"a": {"storedAt": "2025-03-01T18:04:05Z", "genre": 3}}})", "entries.a.genre"},
        {R"({"entries": {"a": "Pop"}})", "entries.a"},
        {R"({"entries": {"a": {"storedAt": "4587-03-01T19:04:05+01:00"}}})", "entries.a.storedAt"},
        {R"({"entries": {"a": {"storedAt": "1500-03-01T19:04:05Z"}}})", "entries.a.storedAt"},
    };
    for (const Row& row : rows) {
        const DecodeError error = testing::decodeFailure([&] { (void)GenreCache::decode(row.document); });
        if (!row.location.empty()) {
            EXPECT_EQ(error.location(), row.location) << row.document;
        }
    }
}

} // namespace
} // namespace nimbrel
