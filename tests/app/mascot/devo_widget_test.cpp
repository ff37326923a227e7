#include "app/mascot/devo_widget.h"

#include <gtest/gtest.h>

#include "app/mascot/devo_metrics.h"
#include "tests/app/engine/engine_test_support.h"

namespace nimbrel::testing {
namespace {

class DevoWidgetTest : public EngineTest {};

TEST_F(DevoWidgetTest, ShowsTheEnginesFrameAndChangesOnlyWithIt) {
    const DevoMetrics metrics;
    makeEngine({"T1"});
    startEngine();
    DevoWidget widget(metrics, *engine, 30);
    EXPECT_EQ(widget.size(), QSize(metrics.reservedWidth(), 30));
    EXPECT_EQ(widget.frame(), Devo::frame(DevoState::paused, 0));

    play("Kavinsky", "Nightcall");
    EXPECT_EQ(widget.frameChanges(), 1);
    for (int tick = 1; tick <= 3; ++tick) {
        timers->advance(EngineViewModel::kFrameInterval);
        EXPECT_EQ(widget.frame(), Devo::frame(DevoState::playing, engine->devoTick()));
    }
    EXPECT_EQ(widget.frameChanges(), 4);
    // Notifications that leave the frame as it is draw nothing.
    Q_EMIT engine->devoTickChanged();
    Q_EMIT engine->devoStateChanged();
    EXPECT_EQ(widget.frameChanges(), 4);

    // The player's debounce lets one more tick pass (tail moves) before the cat sits down.
    change(NowPlaying::notRunning());
    EXPECT_EQ(engine->devoTick(), 4);
    EXPECT_EQ(widget.frame(), Devo::frame(DevoState::paused, 0));
    EXPECT_EQ(widget.frameChanges(), 6);
}

} // namespace
} // namespace nimbrel::testing
