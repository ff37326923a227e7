#include "app/editors/behavior_settings.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

TEST(BehaviorSettingsTest, ThePollStepsAlongItsGridWithinItsBounds) {
    const struct {
        std::int64_t shown;
        int steps;
        std::int64_t expected;
    } rows[] = {
        {120, 1, 150},     {120, -1, 90},       {30, -1, 30},  {600, 1, 600}, {570, 5, 600},  {60, -10, 30},
        {45, 1, 60},       {45, -1, 30},        {45, 2, 90},   {599, 1, 600}, {601, -1, 600}, {86'400, -1, 600},
        {86'400, -2, 570}, {86'400, 1, 86'400}, {120, 0, 120}, {10, 1, 30},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(BehaviorSettings::steppedPoll(row.shown, row.steps), row.expected)
            << row.shown << " stepped " << row.steps;
    }
}

TEST(BehaviorSettingsTest, TypedAndConfiguredIntervalsShowWhatTheEnginePolls) {
    const struct {
        std::int64_t value;
        std::int64_t entered;
        std::int64_t shown;
    } rows[] = {
        {0, 30, 30}, {-5, 30, 30}, {44, 30, 44}, {45, 60, 45}, {120, 120, 120}, {610, 600, 610}, {599, 600, 599},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(BehaviorSettings::enteredPoll(row.value), row.entered) << row.value;
        EXPECT_EQ(BehaviorSettings::shownPoll(row.value), row.shown) << row.value;
    }
    EXPECT_EQ(BehaviorSettings::pollLabel(90), "Safety-net poll: every 90s");
}

} // namespace
} // namespace nimbrel
