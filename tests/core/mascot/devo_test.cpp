#include "core/mascot/devo.h"

#include <string>
#include <unordered_set>
#include <vector>

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

const std::string kOpen = "₍^•ᴥ•^₎";
const std::string kShut = "₍^-ᴥ-^₎";
const std::string kQuestion = "₍^?ᴥ?^₎";
const std::string kCross = "₍^xᴥx^₎";

Devo::Frame playing(const std::string& body, const std::string& tail, double bounce) {
    return {body, tail, false, bounce};
}

// Every frame the mascot can show is listed once, and the hash agrees with equality.
TEST(Devo, EveryFrameItCanReturnIsListedOnce) {
    const std::vector<Devo::Frame>& all = Devo::allFrames();
    const std::unordered_set<Devo::Frame> distinct(all.begin(), all.end());
    EXPECT_EQ(distinct.size(), all.size());
    for (const DevoState state : {DevoState::playing, DevoState::paused, DevoState::notConnected, DevoState::error}) {
        for (std::int64_t tick = -30; tick <= 30; ++tick) {
            for (const bool blinking : {false, true}) {
                EXPECT_TRUE(distinct.contains(Devo::frame(state, tick, blinking))) << tick;
            }
        }
    }
}

TEST(Devo, PlayingFramesFollowTheTick) {
    const std::vector<std::pair<std::int64_t, Devo::Frame>> rows = {
        {0, playing(kShut, "⟆", 0)}, // tick 0 is a multiple of 13: a blink
        {1, playing(kOpen, "ʃ", 1)},   {2, playing(kOpen, "∫", 0)},   {3, playing(kOpen, "ʃ", -1)},
        {4, playing(kOpen, "⟆", 0)},   {13, playing(kShut, "ʃ", 1)},  {26, playing(kShut, "∫", 0)},
        {27, playing(kOpen, "ʃ", -1)}, {-1, playing(kOpen, "ʃ", -1)}, {-13, playing(kShut, "ʃ", -1)},
    };
    for (const auto& [tick, expected] : rows) {
        EXPECT_EQ(Devo::frame(DevoState::playing, tick), expected) << "tick " << tick;
    }
}

TEST(Devo, OnlyPlayingBlinksAndAnimates) {
    for (std::int64_t tick = 0; tick < 100; ++tick) {
        EXPECT_EQ(Devo::isBlinking(DevoState::playing, tick), tick % 13 == 0) << tick;
        EXPECT_FALSE(Devo::isBlinking(DevoState::paused, tick));
        EXPECT_FALSE(Devo::isBlinking(DevoState::error, tick));
    }
    EXPECT_TRUE(Devo::animates(DevoState::playing));
    EXPECT_FALSE(Devo::animates(DevoState::notConnected));
}

TEST(Devo, OtherStatesIgnoreTheTickAndRest) {
    const std::vector<std::pair<DevoState, Devo::Frame>> rows = {
        {DevoState::paused, {kShut, "ᓚ", true, 0}},
        {DevoState::notConnected, {kQuestion, "ᓚ", true, 0}},
        {DevoState::error, {kCross, "ᓚ", true, 0}},
    };
    for (const auto& [state, expected] : rows) {
        for (const std::int64_t tick : {0, 1, 2, 3, 13, 26, -7, 1'000'001}) {
            EXPECT_EQ(Devo::frame(state, tick), expected);
            EXPECT_EQ(Devo::frame(state, tick, true), expected);
        }
    }
    EXPECT_EQ(Devo::frame(DevoState::paused, 5).plainText(), kShut + "ᓚ");
}

} // namespace
} // namespace nimbrel
