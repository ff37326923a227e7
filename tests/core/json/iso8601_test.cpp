#include "core/json/iso8601.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

using std::chrono::sys_days;
using std::chrono::sys_seconds;
using namespace std::chrono_literals;

sys_seconds at(int year, unsigned month, unsigned day, int hour, int minute, int second) {
    return sys_days{std::chrono::year{year} / std::chrono::month{month} / std::chrono::day{day}} +
           std::chrono::hours{hour} + std::chrono::minutes{minute} + std::chrono::seconds{second};
}

TEST(Iso8601, ReadsTheStoredFormAndNumericOffsets) {
    const std::pair<const char*, sys_seconds> rows[] = {
        {"1970-01-01T00:00:00Z", sys_seconds{0s}},
        {"2024-02-29T23:59:59Z", at(2024, 2, 29, 23, 59, 59)},
        {"2025-03-14T10:26:53+01:00", at(2025, 3, 14, 9, 26, 53)},
        {"2025-03-14T04:56:53-04:30", at(2025, 3, 14, 9, 26, 53)},
        {"2025-03-14T10:26:53+0100", at(2025, 3, 14, 9, 26, 53)},
        {"2025-01-01T00:30:00+01:00", at(2024, 12, 31, 23, 30, 0)},
    };
    for (const auto& [text, expected] : rows) {
        EXPECT_EQ(Iso8601::parse(text), expected) << text;
    }
}

// No zone, a space for "T", fractions, impossible dates and times, malformed offsets, trailing text, signs,
// fullwidth and one-digit fields.
TEST(Iso8601, RefusesAnythingElse) {
    for (const char* text :
         {"", "2025-03-14T09:26:53", "2025-03-14 09:26:53Z", "2025-03-14T09:26:53.123Z", "2025-02-29T09:26:53Z",
          "2025-13-01T09:26:53Z", "2025-04-31T09:26:53Z", "2025-03-14T24:00:00Z", "2025-03-14T09:26:60Z",
          "2025-03-14T09:26:53+1:00", "2025-03-14T09:26:53*01:00", "2025-03-14T09:26:53Zjunk", "+2025-03-14T09:26:53Z",
          "２０２５-03-14T09:26:53Z", "2025-3-14T09:26:53Z"}) {
        EXPECT_FALSE(Iso8601::parse(text)) << text;
    }
}

TEST(Iso8601, WritesUtcToTheSecondAndReadsItBack) {
    EXPECT_EQ(Iso8601::format(at(2025, 3, 14, 9, 26, 53)), "2025-03-14T09:26:53Z");
    EXPECT_EQ(Iso8601::format(at(1999, 12, 31, 23, 59, 59)), "1999-12-31T23:59:59Z");
    // Every instant of a wide span survives the round trip, days before 1970 included.
    for (std::int64_t seconds = -3'000'000'000; seconds < 5'000'000'000; seconds += 86'399 * 37) {
        const sys_seconds instant{std::chrono::seconds{seconds}};
        EXPECT_EQ(Iso8601::parse(Iso8601::format(instant)), instant) << Iso8601::format(instant);
    }
}

} // namespace
} // namespace nimbrel
