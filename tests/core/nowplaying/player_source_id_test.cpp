#include "core/nowplaying/player_source_id.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

TEST(PlayerSourceID, RawValuesAndNames) {
    EXPECT_EQ(PlayerSourceID(PlayerSourceID::spotify).rawValue(), "spotify");
    EXPECT_EQ(PlayerSourceID(PlayerSourceID::appleMusic).rawValue(), "apple_music");
    EXPECT_EQ(PlayerSourceID(PlayerSourceID::spotify).displayName(), "Spotify");
    EXPECT_EQ(PlayerSourceID(PlayerSourceID::appleMusic).displayName(), "Apple Music");
    constexpr auto all = PlayerSourceID::allCases();
    EXPECT_EQ(all[0], PlayerSourceID::spotify);
    EXPECT_EQ(all[1], PlayerSourceID::appleMusic);
}

TEST(PlayerSourceID, OnlyExactRawValuesConstruct) {
    for (const PlayerSourceID source : PlayerSourceID::allCases()) {
        EXPECT_EQ(PlayerSourceID::fromRawValue(source.rawValue()), source);
    }
    for (const char* other : {"Spotify", "Apple Music", "SPOTIFY", "apple-music", "applemusic", " spotify", ""}) {
        EXPECT_FALSE(PlayerSourceID::fromRawValue(other)) << other;
    }
}

} // namespace
} // namespace nimbrel
