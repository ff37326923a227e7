#include "core/config/when_music_stops.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

TEST(WhenMusicStops, CasesRawValuesAndTexts) {
    struct Row {
        WhenMusicStops value;
        const char* rawValue;
        const char* displayName;
        const char* summary;
    };
    const Row rows[] = {
        {WhenMusicStops::restore, "restore", "Restore my previous status",
         "Puts back whatever your status was before Nimbrel set one \u2014 including its expiry. Clears it if there "
         "was nothing to restore."},
        {WhenMusicStops::clear, "clear", "Clear my status", "Empties your Slack status whenever the music stops."},
        {WhenMusicStops::leave, "leave", "Leave the last status",
         "Leaves the last vibe up until something is playing again."},
    };
    ASSERT_EQ(WhenMusicStops::allCases().size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        EXPECT_EQ(WhenMusicStops::allCases()[i], row.value);
        EXPECT_EQ(row.value.rawValue(), row.rawValue);
        EXPECT_EQ(row.value.displayName(), row.displayName);
        EXPECT_EQ(row.value.summary(), row.summary);
        EXPECT_EQ(WhenMusicStops::fromRawValue(row.rawValue), row.value);
    }
}

TEST(WhenMusicStops, RawValuesMatchExactly) {
    for (const char* text : {"Restore", "CLEAR", " leave", "leave ", "", "pause", "restore\n"}) {
        EXPECT_EQ(WhenMusicStops::fromRawValue(text), std::nullopt) << text;
    }
}

} // namespace
} // namespace nimbrel
