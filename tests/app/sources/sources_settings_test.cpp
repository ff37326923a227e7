#include "app/sources/sources_settings.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

TEST(SourcesSettings, RowStatusLines) {
    const std::pair<std::optional<NowPlaying>, std::string> onCases[] = {
        {std::nullopt, "Checking…"},
        {NowPlaying::playing("Daft Punk", "Get Lucky"), "Playing Get Lucky — Daft Punk"},
        {NowPlaying::notPlaying("paused", "A", "T"), "Open, but paused."},
        {NowPlaying::error("Can't read Spotify: busy"), "Can't read Spotify: busy"},
    };
    for (const auto& [reading, expected] : onCases) {
        EXPECT_EQ(SourcesSettings::statusLine(true, reading), expected);
        EXPECT_EQ(SourcesSettings::statusLine(false, reading), "Off — Nimbrel won’t read this app.");
    }
}

TEST(SourcesSettings, StoresSpotifyFirstWhateverTheClickOrder) {
    SourcesSettings settings({});
    EXPECT_TRUE(settings.showsNoSourcesWarning());
    EXPECT_EQ(settings.setEnabled(PlayerSourceID::appleMusic, true),
              std::vector<PlayerSourceID>{PlayerSourceID::appleMusic});
    EXPECT_EQ(settings.setEnabled(PlayerSourceID::spotify, true),
              (std::vector<PlayerSourceID>{PlayerSourceID::spotify, PlayerSourceID::appleMusic}));
    EXPECT_FALSE(settings.showsNoSourcesWarning());
    EXPECT_EQ(settings.setEnabled(PlayerSourceID::spotify, false),
              std::vector<PlayerSourceID>{PlayerSourceID::appleMusic});
    // A hand-edited list in the other order is shown as it is and stored in the screen's order.
    EXPECT_EQ(SourcesSettings({PlayerSourceID::appleMusic, PlayerSourceID::spotify}).sources(),
              (std::vector<PlayerSourceID>{PlayerSourceID::spotify, PlayerSourceID::appleMusic}));
}

TEST(SourcesSettings, ProbeFillsTheRows) {
    SourcesSettings settings({PlayerSourceID::appleMusic});
    settings.beginProbe();
    EXPECT_EQ(settings.checkButtonTitle(), "Checking…");
    settings.finishProbe({{PlayerSourceID::appleMusic, NowPlaying::error("Apple Music isn’t responding.")},
                          {PlayerSourceID::appleMusic, NowPlaying::notRunning()}});
    EXPECT_EQ(settings.checkButtonTitle(), "Check again");
    const auto rows = settings.rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(std::string(rows[0].title) + ": " + rows[0].status, "Spotify: Off — Nimbrel won’t read this app.");
    EXPECT_EQ(std::string(rows[1].title) + ": " + rows[1].status, "Apple Music: Apple Music isn’t responding.");
    EXPECT_FALSE(rows[0].offersPermissionButton);
    EXPECT_TRUE(rows[1].offersPermissionButton);
    settings.setEnabled(PlayerSourceID::spotify, true);
    EXPECT_EQ(settings.rows()[0].status, "Checking…");
}

} // namespace
} // namespace nimbrel
