#include <chrono>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/island/island_layout.h"
#include "app/island/island_model.h"
#include "app/island/island_motion.h"
#include "app/island/island_placement.h"
#include "app/island/island_pointer_tracker.h"
#include "app/island/notch_shape.h"
#include "tests/support/manual_timers.h"

namespace nimbrel {
namespace {

using std::chrono::milliseconds;

constexpr double kMascot = 60; // L

ScreenMeasures measures(QRectF frame, QRectF available) {
    ScreenMeasures screen;
    screen.frame = frame;
    screen.available = available;
    return screen;
}
const ScreenMeasures kLaptop = measures({0, 0, 1280, 800}, {0, 0, 1280, 800});

IslandLayout layout(double w, double h, bool hardware, double idealWidth = 0, double headlineHeight = 0) {
    return {.notchSize = {.width = w, .height = h},
            .isHardwareNotch = hardware,
            .headlineIdealWidth = idealWidth,
            .headlineHeight = headlineHeight};
}

// ---- Sizes

TEST(IslandSizes, FollowTheNotchTheMascotAndTheHeadline) {
    struct Case {
        const char* name;
        IslandLayout layout;
        IslandGeometry::Size collapsed;
        IslandGeometry::Size expanded;
        IslandGeometry::Size panel;
    };
    // W + 2L = 248 for the virtual notch (128 wide) and 300 for the housing (180 wide).
    const std::vector<Case> cases = {
        {"virtual, nothing measured", layout(128, 24, false), {276, 24}, {36 + 258, 154}, {398, 240}},
        {"virtual, headline within bounds", layout(128, 24, false, 300, 34), {276, 24}, {336, 198}, {398, 240}},
        {"virtual, headline too wide", layout(128, 24, false, 900, 34), {276, 24}, {36 + 338, 198}, {398, 240}},
        {"virtual, headline narrow", layout(128, 30, false, 100, 20), {276, 30}, {36 + 258, 190}, {398, 246}},
        {"hardware, nothing measured", layout(180, 32, true), {340, 32}, {36 + 310 + 28, 162}, {478, 248}},
        {"hardware, headline too wide", layout(180, 32, true, 900, 30), {340, 32}, {36 + 390 + 28, 202}, {478, 248}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.layout.collapsedSize(kMascot), c.collapsed);
        EXPECT_EQ(c.layout.expandedSize(kMascot), c.expanded);
        EXPECT_EQ(c.layout.islandSize(false, kMascot), c.collapsed);
        EXPECT_EQ(c.layout.islandSize(true, kMascot), c.expanded);
        EXPECT_EQ(c.layout.panelSize(kMascot), c.panel);
        // The panel holds the widest expanded island with 24 points to spare.
        IslandLayout widest = c.layout;
        widest.headlineIdealWidth = 1e6;
        EXPECT_EQ(c.layout.panelSize(kMascot).width - widest.expandedSize(kMascot).width, 24);
    }
}

// ---- Placement

TEST(IslandPlacement, HangsAVirtualNotchFromTheTopCentre) {
    struct Case {
        const char* name;
        ScreenMeasures screen;
        QRectF notch;
        QRectF panel;
    };
    const std::vector<Case> cases = {
        {"no top panel: default height", kLaptop, {576, 0, 128, 24}, {441, 0, 398, 240}},
        {"a top panel of 32", measures({0, 0, 1280, 800}, {0, 32, 1280, 768}), {576, 0, 128, 32}, {441, 0, 398, 248}},
        {"a bottom panel only", measures({0, 0, 1280, 800}, {0, 0, 1280, 760}), {576, 0, 128, 24}, {441, 0, 398, 240}},
        {"a second screen to the right",
         measures({1280, 0, 1920, 1080}, {1280, 27, 1920, 1053}),
         {1280 + 896, 0, 128, 27},
         {1280 + 761, 0, 398, 243}},
        {"a screen above the origin",
         measures({0, -900, 1600, 900}, {0, -870, 1600, 870}),
         {736, -900, 128, 30},
         {601, -900, 398, 246}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const IslandPlacement::Placement placement = IslandPlacement::place(c.screen, IslandLayout{}, kMascot);
        EXPECT_EQ(placement.notch.rect, c.notch);
        EXPECT_FALSE(placement.notch.isHardware);
        EXPECT_EQ(placement.panel, c.panel);
        EXPECT_EQ(placement.layout.notchSize.height, c.notch.height());
    }
}

TEST(IslandPlacement, AHousingGivesAHardwareNotchAndItsExtras) {
    const ScreenMeasures housing{.frame = {0, 0, 1512, 982},
                                 .available = {0, 38, 1512, 944},
                                 .safeAreaTop = 32,
                                 .leftAuxiliaryWidth = 662,
                                 .rightAuxiliaryWidth = 662};
    const IslandPlacement::Placement placement = IslandPlacement::place(housing, IslandLayout{}, kMascot);
    EXPECT_EQ(placement.notch.rect, QRectF(662, 0, 188, 32));
    EXPECT_TRUE(placement.layout.isHardwareNotch);
    EXPECT_EQ(placement.panel, QRectF(756 - (188 + 120 + 178) / 2.0, 0, 188 + 120 + 178, 248));
    // Only one auxiliary width: a virtual notch after all.
    ScreenMeasures oneSide = housing;
    oneSide.rightAuxiliaryWidth.reset();
    EXPECT_FALSE(IslandPlacement::notch(oneSide).isHardware);
}

TEST(IslandPlacement, AScreenChangeKeepsTheHeadlineAndMovesThePanel) {
    IslandLayout measured = IslandPlacement::place(kLaptop, IslandLayout{}, kMascot).layout;
    measured.headlineIdealWidth = 310;
    measured.headlineHeight = 33;
    const ScreenMeasures bigger = measures({0, 0, 2560, 1440}, {0, 28, 2560, 1412});
    const IslandPlacement::Placement after = IslandPlacement::place(bigger, measured, kMascot);
    EXPECT_EQ(after.layout, layout(128, 28, false, 310, 33));
    EXPECT_EQ(after.panel, QRectF(1280 - 199, 0, 398, 244));
    EXPECT_NE(after.panel, IslandPlacement::place(kLaptop, measured, kMascot).panel);
}

TEST(IslandPlacement, TheHotRectIsTheIslandOnePointTaller) {
    const QRectF notch(576, 0, 128, 24);
    const IslandLayout virtualNotch = layout(128, 24, false);
    EXPECT_EQ(IslandPlacement::island(notch, virtualNotch, false, kMascot), QRectF(502, 0, 276, 24));
    EXPECT_EQ(IslandPlacement::hotRect(notch, virtualNotch, false, kMascot), QRectF(502, 0, 276, 25));
    EXPECT_EQ(IslandPlacement::hotRect(notch, virtualNotch, true, kMascot), QRectF(493, 0, 294, 155));
}

TEST(IslandPlacement, ConvertsToUpwardCoordinatesAndBack) {
    const QRectF rect(10, 20, 30, 40);
    const IslandGeometry::Rect up = IslandPlacement::toGeometry(rect);
    EXPECT_EQ(up.maxY(), -20); // the top edge is the largest y
    EXPECT_EQ(up.y, -60);
    EXPECT_EQ(IslandPlacement::fromGeometry(up), rect);
}

// ---- Pointer tracking on virtual time

// A collapsed island of 276 × 24 under the notch (hot: 502…778 × 0…25); expanded 294 × 154.
constexpr QPointF kOnNotch{640, 10};
constexpr QPointF kBelowCollapsed{640, 100}; // on the expanded island only
constexpr QPointF kAway{100, 500};

struct Step {
    int atMs;
    enum class Kind { move, leave, menuOpen, menuClosed, expect } kind;
    QPointF point{};
    bool expanded = false;
};
Step moveTo(int at, QPointF point) {
    return {at, Step::Kind::move, point};
}
Step leaveAt(int at) {
    return {at, Step::Kind::leave};
}
Step expectAt(int at, bool expanded) {
    return {at, Step::Kind::expect, {}, expanded};
}

class PointerTrackerTest : public ::testing::Test {
protected:
    PointerTrackerTest() {
        model.setLayout(layout(128, 24, false));
        tracker = std::make_unique<IslandPointerTracker>(
            timers, IslandPointerTracker::Hooks{
                        .hotRect =
                            [this](bool expanded) {
                                return IslandPlacement::hotRect(kNotch, model.layout(), expanded, kMascot);
                            },
                        .pointer = [this] { return pointer; },
                        .isExpanded = [this] { return model.isExpanded(); },
                        .setExpanded =
                            [this](bool expanded) {
                                model.setExpanded(expanded);
                                ++changes;
                                tracker->check();
                            },
                    });
    }

    // Steps are timed from the start of this call.
    void run(const std::vector<Step>& steps) {
        const int base = m_clock;
        for (const Step& step : steps) {
            timers->advance(milliseconds(base + step.atMs - m_clock));
            m_clock = base + step.atMs;
            switch (step.kind) {
            case Step::Kind::move:
                pointer = step.point;
                tracker->pointerMoved(step.point);
                break;
            case Step::Kind::leave:
                pointer = kAway;
                tracker->pointerMoved(std::nullopt);
                break;
            case Step::Kind::menuOpen:
                tracker->setMenuOpen(true);
                break;
            case Step::Kind::menuClosed:
                tracker->setMenuOpen(false);
                break;
            case Step::Kind::expect:
                EXPECT_EQ(model.isExpanded(), step.expanded) << "at " << step.atMs << " ms";
                break;
            }
        }
    }

    static constexpr QRectF kNotch{576, 0, 128, 24};
    std::shared_ptr<testing::ManualTimers> timers = std::make_shared<testing::ManualTimers>();
    IslandModel model;
    std::optional<QPointF> pointer;
    int changes = 0;
    std::unique_ptr<IslandPointerTracker> tracker;

private:
    int m_clock = 0;
};

TEST_F(PointerTrackerTest, FollowsThePointerAfterItsDelays) {
    struct Case {
        const char* name;
        std::vector<Step> steps;
        int changes;
    };
    const std::vector<Case> cases = {
        {"resting on the island expands after 0.12 s",
         {moveTo(0, kOnNotch), expectAt(119, false), expectAt(120, true), expectAt(2000, true)},
         1},
        {"onto and away within 0.12 s never expands",
         {moveTo(0, kOnNotch), moveTo(60, kAway), expectAt(120, false), expectAt(1000, false)},
         0},
        {"onto, leaving the window, within 0.12 s never expands",
         {moveTo(0, kOnNotch), leaveAt(119), expectAt(1000, false)},
         0},
        {"moving about on the island does not restart the delay",
         {moveTo(0, kOnNotch), moveTo(50, {600, 5}), moveTo(100, {700, 20}), expectAt(120, true)},
         1},
        {"leaving collapses after 0.3 s",
         {moveTo(0, kOnNotch), expectAt(120, true), moveTo(200, kBelowCollapsed), expectAt(400, true),
          moveTo(500, kAway), expectAt(799, true), expectAt(800, false)},
         2},
        {"leave and return within 0.3 s stays expanded",
         {moveTo(0, kOnNotch), expectAt(120, true), leaveAt(200), moveTo(450, kBelowCollapsed), expectAt(500, true),
          expectAt(3000, true)},
         1},
        {"returning cancels the collapse; leaving again starts a fresh delay",
         {moveTo(0, kOnNotch), expectAt(120, true), moveTo(200, kAway), moveTo(300, kBelowCollapsed),
          moveTo(350, kAway), expectAt(500, true), expectAt(649, true), expectAt(650, false)},
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        model.setExpanded(false);
        pointer.reset();
        changes = 0;
        tracker->cancel();
        run(c.steps);
        EXPECT_EQ(changes, c.changes);
        EXPECT_FALSE(tracker->hasPendingChange());
    }
}

TEST_F(PointerTrackerTest, ADelayEndsWithTheFinalCheckOfThePointer) {
    // The pointer slipped off without a move event (another window took it); the re-check at the end of
    // the delay notices.
    run({moveTo(0, kOnNotch)});
    pointer = kAway;
    run({expectAt(120, false)});
    EXPECT_EQ(changes, 0);
}

TEST_F(PointerTrackerTest, AnOpenMenuFreezesTheIsland) {
    // Opening the menu drops a pending expansion; moves while it is open are ignored.
    run({moveTo(0, kOnNotch),
         {50, Step::Kind::menuOpen},
         expectAt(500, false),
         moveTo(600, kOnNotch),
         expectAt(1000, false)});
    EXPECT_FALSE(tracker->hasPendingChange());
    EXPECT_TRUE(timers->started(TimerPurpose::islandHover).size() == 1);

    // Expanded, then a menu opens and the pointer wanders off: the island stays open until the menu
    // closes, and then collapses after the usual delay.
    tracker->setMenuOpen(false); // looks at the pointer: on the island
    timers->advance(milliseconds(120));
    ASSERT_TRUE(model.isExpanded());
    tracker->setMenuOpen(true);
    pointer = kAway;
    tracker->pointerMoved(kAway);
    timers->advance(milliseconds(5000));
    EXPECT_TRUE(model.isExpanded());
    tracker->setMenuOpen(false);
    timers->advance(milliseconds(299));
    EXPECT_TRUE(model.isExpanded());
    timers->advance(milliseconds(1));
    EXPECT_FALSE(model.isExpanded());
}

TEST_F(PointerTrackerTest, NoTimerRunsWhileNothingIsPending) {
    run({moveTo(0, kAway), moveTo(10, {90, 490}), leaveAt(20)});
    EXPECT_TRUE(timers->started(TimerPurpose::islandHover).empty());
    run({moveTo(30, kOnNotch), moveTo(40, kOnNotch)});
    EXPECT_EQ(timers->started(TimerPurpose::islandHover), std::vector<milliseconds>{milliseconds(120)});
}

// ---- Motion

TEST(IslandMotion, TheSpringOvershootsALittleAndSettles) {
    const IslandMotion spring = IslandMotion::forReducedMotion(false);
    EXPECT_EQ(spring.progress(0), 0);
    double peak = 0;
    for (double t = 0; t < spring.duration(); t += 0.001) {
        peak = std::max(peak, spring.progress(t));
    }
    // A damping fraction of 0.8 overshoots by e^(-πζ/√(1-ζ²)) ≈ 1.5 %.
    EXPECT_NEAR(peak, 1 + std::exp(-M_PI * 0.8 / 0.6), 1e-3);
    EXPECT_GT(spring.duration(), 0.3);
    EXPECT_LT(spring.duration(), 1.0);
    EXPECT_NEAR(spring.progress(spring.duration() - 1e-6), 1, IslandMotion::kSettleTolerance);
    EXPECT_EQ(spring.progress(spring.duration()), 1);
}

TEST(IslandMotion, ReducedMotionEasesInAndOutIn200Milliseconds) {
    const IslandMotion ease = IslandMotion::forReducedMotion(true);
    EXPECT_EQ(ease.duration(), 0.2);
    EXPECT_EQ(ease.progress(0), 0);
    EXPECT_NEAR(ease.progress(0.1), 0.5, 1e-9);
    EXPECT_LT(ease.progress(0.02), 0.02 / 0.2); // slow start
    EXPECT_GT(ease.progress(0.18), 0.18 / 0.2); // slow end
    double last = 0;
    for (double t = 0; t <= 0.2; t += 0.005) {
        EXPECT_GE(ease.progress(t), last);
        last = ease.progress(t);
    }
    EXPECT_EQ(ease.progress(0.25), 1);
}

// ---- Shape

TEST(NotchShape, ShouldersOnlyOnAHardwareNotch) {
    struct Case {
        bool hardware;
        bool expanded;
        double height;
        NotchShape shape;
    };
    const std::vector<Case> cases = {
        {false, false, 24, {0, 10}}, {false, false, 14, {0, 7}},  {false, true, 154, {0, 24}},
        {true, false, 32, {6, 10}},  {true, true, 162, {14, 24}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NotchShape::forIsland(c.hardware, c.expanded, c.height), c.shape)
            << c.hardware << c.expanded << c.height;
    }
}

TEST(NotchShape, TracesShouldersAndRoundedCorners) {
    const QRectF rect(0, 0, 200, 100);
    const QPainterPath flat = NotchShape{.shoulder = 0, .bottomRadius = 20}.path(rect);
    EXPECT_EQ(flat.boundingRect(), rect);
    EXPECT_TRUE(flat.contains(QPointF(1, 1)));   // square top corners
    EXPECT_FALSE(flat.contains(QPointF(1, 99))); // rounded bottom corners
    EXPECT_TRUE(flat.contains(QPointF(100, 99)));

    const QPainterPath shouldered = NotchShape{.shoulder = 14, .bottomRadius = 24}.path(rect);
    EXPECT_EQ(shouldered.boundingRect(), rect);
    EXPECT_FALSE(shouldered.contains(QPointF(5, 50))); // the sides sit inside the shoulders
    EXPECT_TRUE(shouldered.contains(QPointF(16, 50)));
    EXPECT_TRUE(shouldered.contains(QPointF(10, 0.5))); // the shoulder flares into the top edge

    // A radius larger than the shape allows is cut to half the width between the shoulders.
    const QPainterPath pill = NotchShape{.shoulder = 0, .bottomRadius = 500}.path(QRectF(0, 0, 40, 100));
    EXPECT_EQ(pill.boundingRect(), QRectF(0, 0, 40, 100));
    EXPECT_TRUE(pill.contains(QPointF(20, 99)));
}

} // namespace
} // namespace nimbrel
