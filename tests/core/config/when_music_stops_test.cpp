#include "core/config/when_music_stops.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

TEST(WhenMusicStops, RawValuesMatchExactly) {
    for (const char* text : {"Restore", "CLEAR", " leave", "leave ", "", "pause", "restore\n"}) {
        EXPECT_EQ(WhenMusicStops::fromRawValue(text), std::nullopt) << text;
    }
}

} // namespace
} // namespace nimbrel
