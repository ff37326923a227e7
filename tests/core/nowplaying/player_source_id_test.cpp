#include "core/nowplaying/player_source_id.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

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
