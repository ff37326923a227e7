#include "core/ownership/rate_limit_window.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

const Instant t = Instant(seconds(1'760'000'000));

// The random schedules below check remaining() and reserve() against the history; these pin the exact instant
// nextAvailable() promises, which the schedules only check is granted.
TEST(RateLimitWindow, NextAvailableIsWhenTheOldestCountingStampLapses) {
    RateLimitWindow single(1, 6.0);
    EXPECT_EQ(single.nextAvailable(t), std::nullopt);
    EXPECT_TRUE(single.reserve(t));
    EXPECT_FALSE(single.reserve(t + milliseconds(5900)));
    EXPECT_EQ(single.nextAvailable(t + milliseconds(5900)), t + seconds(6));
    // A stamp exactly one window old no longer counts.
    EXPECT_EQ(single.nextAvailable(t + seconds(6)), std::nullopt);

    RateLimitWindow twenty(20, 60.0);
    for (int second = 0; second < 20; ++second) {
        EXPECT_TRUE(twenty.reserve(t + seconds(second))) << second;
    }
    EXPECT_EQ(twenty.nextAvailable(t + seconds(20)), t + seconds(60));
    EXPECT_TRUE(twenty.reserve(t + seconds(60)));
    EXPECT_EQ(twenty.nextAvailable(t + seconds(60)), t + seconds(61));
}

TEST(RateLimitWindow, NegativeLimitBecomesZero) {
    RateLimitWindow window(-3, 6.0);
    EXPECT_EQ(window.limit(), 0);
    EXPECT_FALSE(window.reserve(t));
    EXPECT_EQ(window.nextAvailable(t), std::nullopt);
    EXPECT_EQ(window, RateLimitWindow(0, 6.0));
}

TEST(RateLimitWindow, QueriesDoNotChangeTheStamps) {
    RateLimitWindow window(2, 10.0);
    ASSERT_TRUE(window.reserve(t));
    ASSERT_TRUE(window.reserve(t + seconds(1)));
    const RateLimitWindow before = window;
    (void)window.remaining(t + seconds(100));
    (void)window.nextAvailable(t + seconds(100));
    (void)window.remaining(t - seconds(100));
    EXPECT_EQ(window, before);
    // Only reserve forgets stale stamps.
    ASSERT_TRUE(window.reserve(t + seconds(100)));
    EXPECT_NE(window, before);
}

// One call made on a random schedule and what the window answered.
struct Call {
    Instant now;
    bool granted;
};

// The budget as a user would state it, from the history alone: a grant at instant g still counts at `now`
// when it is less than `window` seconds old and not later than `now`, and no reservation since then found
// it in the future (the clock was set back) or a whole window old, and so let it go.
int countingGrants(const std::vector<Call>& history, Instant now, double window) {
    int count = 0;
    for (std::size_t i = 0; i < history.size(); ++i) {
        const Call& grant = history[i];
        if (!grant.granted || grant.now > now || Instants::secondsBetween(grant.now, now) >= window) {
            continue;
        }
        bool forgotten = false;
        for (std::size_t j = i + 1; j < history.size(); ++j) {
            forgotten = forgotten || history[j].now < grant.now ||
                        Instants::secondsBetween(grant.now, history[j].now) >= window;
        }
        count += forgotten ? 0 : 1;
    }
    return count;
}

struct Schedule {
    int limit;
    double window;
    std::uint32_t seed;
};

class RateLimitWindowRandomSchedule : public ::testing::TestWithParam<Schedule> {};

TEST_P(RateLimitWindowRandomSchedule, NeverGrantsMoreThanTheLimit) {
    const Schedule schedule = GetParam();
    std::mt19937 random(schedule.seed);
    std::uniform_int_distribution<int> stepMs(0, static_cast<int>(schedule.window * 1000 / 2));
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<int> setBackMs(1, static_cast<int>(schedule.window * 3000));

    RateLimitWindow window(schedule.limit, schedule.window);
    std::vector<Call> history;
    // Grants since the clock last went back; within such a stretch the limit must hold literally.
    std::vector<Instant> stretch;
    Instant now = t;
    int setBacks = 0;
    for (int step = 0; step < 3000; ++step) {
        if (percent(random) < 3) {
            now -= milliseconds(setBackMs(random));
            stretch.clear();
            ++setBacks;
        } else {
            now += milliseconds(stepMs(random));
        }

        const int expectedCounting = countingGrants(history, now, schedule.window);
        EXPECT_EQ(window.remaining(now), std::max(schedule.limit - expectedCounting, 0)) << "step " << step;
        const std::optional<Instant> next = window.nextAvailable(now);

        const bool granted = window.reserve(now);
        EXPECT_EQ(granted, expectedCounting < schedule.limit) << "step " << step;
        EXPECT_EQ(next.has_value(), !granted && schedule.limit > 0) << "step " << step;
        if (next) {
            EXPECT_GT(*next, now);
            // Asking again at the promised instant is granted.
            RateLimitWindow probe = window;
            EXPECT_TRUE(probe.reserve(*next)) << "step " << step;
        }
        history.push_back({now, granted});
        if (granted) {
            stretch.push_back(now);
            int inSpan = 0;
            for (const Instant earlier : stretch) {
                inSpan += Instants::secondsBetween(earlier, now) < schedule.window ? 1 : 0;
            }
            ASSERT_LE(inSpan, schedule.limit) << "step " << step;
        }
    }
    EXPECT_GT(setBacks, 0);
}

INSTANTIATE_TEST_SUITE_P(Schedules, RateLimitWindowRandomSchedule,
                         ::testing::Values(Schedule{1, 6.0, 1}, Schedule{1, 6.0, 2}, Schedule{1, 6.0, 3},
                                           Schedule{20, 60.0, 4}, Schedule{20, 60.0, 5}, Schedule{3, 1.5, 6},
                                           Schedule{5, 10.0, 7}, Schedule{0, 6.0, 8}));

} // namespace
} // namespace nimbrel
