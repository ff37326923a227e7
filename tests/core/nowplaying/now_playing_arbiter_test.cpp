#include "core/nowplaying/now_playing_arbiter.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

const NowPlaying kPlayingA = NowPlaying::playing("A", "a");
const NowPlaying kPlayingB = NowPlaying::playing("B", "b");
const NowPlaying kPausedA = NowPlaying::notPlaying("paused", "A", "a");
const NowPlaying kStoppedB = NowPlaying::notPlaying("stopped", "", "");
const NowPlaying kErrorA = NowPlaying::error("first");
const NowPlaying kErrorB = NowPlaying::error("second");
const NowPlaying kNotRunning = NowPlaying::notRunning();

TEST(NowPlayingArbiter, PicksByPrecedenceThenOrder) {
    struct Case {
        const char* label;
        std::vector<NowPlaying> readings;
        NowPlaying expected;
    };
    const Case cases[] = {
        {"empty", {}, kNotRunning},
        {"playing after paused", {kPausedA, kPlayingB}, kPlayingB},
        {"first playing wins", {kPlayingA, kPlayingB}, kPlayingA},
        {"playing beats an earlier error", {kErrorA, kNotRunning, kPlayingB}, kPlayingB},
        {"error beats an earlier paused", {kPausedA, kErrorB}, kErrorB},
        {"first of two paused", {kPausedA, kStoppedB}, kPausedA},
        {"first of two errors", {kErrorA, kErrorB}, kErrorA},
        {"not running is skipped", {kNotRunning, kStoppedB}, kStoppedB},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NowPlayingArbiter::pick(c.readings), c.expected) << c.label;
    }
}

} // namespace
} // namespace nimbrel
