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

TEST(ITunesGenresKnown, NamesAreDistinctIgnoringCase) {
    std::set<std::string> lowered;
    for (const std::string& name : ITunesGenres::known()) {
        EXPECT_TRUE(lowered.insert(Casing::lowercased(name)).second) << name;
        EXPECT_FALSE(name.empty());
    }
}

TEST(ITunesGenresMerged, AddsNewGenresOnceAndSortsThemIn) {
    EXPECT_EQ(ITunesGenres::merged({}), ITunesGenres::known());
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
