#include "core/genres/itunes_genres.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/text/casing.h"

namespace nimbrel {
namespace {

std::ptrdiff_t position(const std::vector<std::string>& list, std::string_view name) {
    return std::find(list.begin(), list.end(), name) - list.begin();
}

TEST(ITunesGenresKnown, SixtyFiveDistinctNamesSpelledAsSent) {
    const auto& known = ITunesGenres::known();
    EXPECT_EQ(known.size(), 65u);
    std::set<std::string> lowered;
    for (const std::string& name : known) {
        EXPECT_TRUE(lowered.insert(Casing::lowercased(name)).second) << name;
    }
    EXPECT_EQ(known.front(), "African");
    EXPECT_EQ(known.back(), "Worldwide");
    for (const char* name : {"Children's Music", "Fitness & Workout", "Jungle/Drum'n'bass", "M\u00FAsica Mexicana",
                             "R&B/Soul", "Prog-Rock/Art Rock", "TV Soundtrack", "Urbano latino"}) {
        EXPECT_NE(position(known, name), static_cast<std::ptrdiff_t>(known.size())) << name;
    }
}

TEST(ITunesGenresMerged, NothingObservedKeepsTheCatalogueOrder) {
    EXPECT_EQ(ITunesGenres::merged({}), ITunesGenres::known());
}

TEST(ITunesGenresMerged, AddsNewGenresOnceAndSortsThemIn) {
    const std::vector<std::string> merged = ITunesGenres::merged({"rock", " Shoegaze ", "shoegaze", "", "  "});
    ASSERT_EQ(merged.size(), 66u);
    const auto shoegaze = position(merged, "Shoegaze");
    EXPECT_EQ(shoegaze, position(merged, "Rock & Roll") + 1);
    EXPECT_EQ(shoegaze + 1, position(merged, "Singer/Songwriter"));
    EXPECT_EQ(position(merged, "rock"), static_cast<std::ptrdiff_t>(merged.size()));
}

TEST(ITunesGenresMerged, FirstSpellingOfAnObservedGenreWins) {
    const std::vector<std::string> merged = ITunesGenres::merged({"Vaporwave", "VAPORWAVE", "aaa"});
    ASSERT_EQ(merged.size(), 67u);
    EXPECT_EQ(merged.front(), "aaa");
    EXPECT_EQ(merged.back(), "Worldwide");
    EXPECT_NE(position(merged, "Vaporwave"), static_cast<std::ptrdiff_t>(merged.size()));
    EXPECT_EQ(position(merged, "VAPORWAVE"), static_cast<std::ptrdiff_t>(merged.size()));
}

} // namespace
} // namespace nimbrel
