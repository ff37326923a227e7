#include "core/time/instant.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

using std::chrono::seconds;

const Instant kBase = Instant(seconds(1'750'000'000));

TEST(Instants, DifferencesAreExactAndSaturate) {
    EXPECT_EQ(Instants::secondsBetween(kBase + seconds(6), kBase), -6.0);
    EXPECT_EQ(Instants::secondsBetween(kBase, kBase + std::chrono::milliseconds(5900)), 5.9);
    EXPECT_EQ(Instants::secondsBetween(Instant::min(), Instant::max()), std::numeric_limits<double>::infinity());
    EXPECT_EQ(Instants::secondsBetween(Instant::max(), Instant::min()), -std::numeric_limits<double>::infinity());
}

TEST(Instants, AddingSeconds) {
    EXPECT_EQ(Instants::adding(kBase, -0.5), kBase - std::chrono::milliseconds(500));
    EXPECT_EQ(Instants::adding(kBase, std::nan("")), kBase);
    EXPECT_EQ(Instants::adding(kBase, 1e300), Instant::max());
    EXPECT_EQ(Instants::adding(kBase, -std::numeric_limits<double>::infinity()), Instant::min());
    EXPECT_EQ(Instants::adding(Instant::max() - seconds(1), 2.0), Instant::max());
}

TEST(Instants, UnixAndReferenceDateSeconds) {
    EXPECT_EQ(Instants::secondsSince1970(kBase), 1'750'000'000.0);
    EXPECT_EQ(Instants::fromSecondsSince1970(1'750'000'000.25), kBase + std::chrono::milliseconds(250));
    EXPECT_EQ(Instants::fromSecondsSince1970(std::numeric_limits<double>::infinity()), std::nullopt);
    EXPECT_EQ(Instants::fromSecondsSince1970(1e30), std::nullopt);
    // 2001-01-01T00:00:00Z is 978307200 seconds after 1970.
    EXPECT_EQ(Instants::secondsSinceReferenceDate(kBase), 1'750'000'000.0 - 978'307'200.0);
    EXPECT_EQ(Instants::fromSecondsSinceReferenceDate(-978'307'200.0), Instant(seconds(0)));
    EXPECT_EQ(Instants::fromSecondsSinceReferenceDate(Instants::secondsSinceReferenceDate(kBase)), kBase);
    EXPECT_EQ(Instants::fromSecondsSinceReferenceDate(std::nan("")), std::nullopt);
    EXPECT_EQ(Instants::fromSecondsSinceReferenceDate(9.2e9), std::nullopt);
}

} // namespace
} // namespace nimbrel
