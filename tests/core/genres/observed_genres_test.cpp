#include <string>

#include <gtest/gtest.h>

#include "core/genres/genre_cache.h"

namespace nimbrel {
namespace {

// Many artists share few genres: each genre is listed once, in the user's order ignoring case. (How fast
// this is for a large cache is measured by the observedGenres benchmark.)
TEST(ObservedGenres, EachGenreOnceInCaseInsensitiveOrder) {
    const Instant now{std::chrono::sys_days(std::chrono::December / 1 / 2026)};
    GenreCache cache;
    const char* genres[] = {"rock", "Jazz", "Ambient", "Rock", "jazz"};
    for (int artist = 0; artist < 1000; ++artist) {
        cache.record(genres[artist % 5], "Artist " + std::to_string(artist), now);
    }
    cache.record(std::nullopt, "Unknown", now);
    EXPECT_EQ(cache.observedGenres(), (std::vector<std::string>{"Ambient", "Jazz", "jazz", "Rock", "rock"}));
}

} // namespace
} // namespace nimbrel
