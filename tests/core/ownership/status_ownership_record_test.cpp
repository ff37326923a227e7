#include "core/ownership/status_ownership_record.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/support/decode_failure.h"

namespace nimbrel {
namespace {

using std::chrono::hours;
using std::chrono::seconds;

const Instant kNow = Instant(seconds(1'760'000'000));
const SlackStatus kLunch{"Lunch", ":fork_and_knife:", 1'760'003'600};
const SlackStatus kSong{"Song — Artist", ":headphones:", 0};

TEST(StatusOwnershipRecord, LastSetStatusFromEitherField) {
    StatusOwnershipRecord record("k1", true);
    EXPECT_EQ(record.lastSetStatus(), std::nullopt) << "the flag alone knows no status";
    record.lastSetText = "Song";
    EXPECT_EQ(record.lastSetStatus(), (SlackStatus{"Song", "", 0}));
    record.lastSetText.reset();
    record.lastSetEmoji = ":zap:";
    EXPECT_EQ(record.lastSetStatus(), (SlackStatus{"", ":zap:", 0}));
}

TEST(StatusOwnershipRecord, SnapshotWriteYieldWriteRelease) {
    StatusOwnershipRecord record("k", true);
    record.lastSetText = "x";
    record.snapshot({"Away", "", 0}, kNow - hours(2));
    EXPECT_EQ(record.savedExpiration, 0); // present, even though 0
    EXPECT_EQ(record.lastKey, "k");       // a snapshot keeps everything else
    EXPECT_EQ(record.lastSetText, "x");

    record.recordWrite(kSong, "key-1");
    EXPECT_EQ(record.lastKey, "key-1");
    EXPECT_EQ(record.lastSetStatus(), kSong);
    EXPECT_EQ(record.savedStatus(kNow), (SlackStatus{"Away", "", 0})); // the snapshot survives writes

    record.yield(kLunch, kNow);
    EXPECT_TRUE(record.isYielded);
    EXPECT_FALSE(record.lastSetByUs);
    EXPECT_FALSE(record.lastKey);
    EXPECT_EQ(record.lastSetStatus(), std::nullopt);
    EXPECT_EQ(record.savedAt, kNow); // the yield replaced the snapshot

    record.recordWrite(kSong, "key-2");
    EXPECT_FALSE(record.isYielded);
    EXPECT_TRUE(record.lastSetByUs);
    EXPECT_EQ(record.savedStatus(kNow), kLunch); // and the write keeps the yield's snapshot

    record.releaseStatus();
    EXPECT_EQ(record, StatusOwnershipRecord());
}

TEST(StatusOwnershipRecord, SavedStatusRules) {
    struct Row {
        std::string name;
        SlackStatus saved;
        Instant savedAt;
        std::optional<SlackStatus> expected;
    };
    const std::vector<Row> rows = {
        {"fresh, with its expiry", kLunch, kNow - hours(1), kLunch},
        {"exactly twelve hours old", kLunch, kNow - hours(12), kLunch},
        {"a second older", kLunch, kNow - hours(12) - seconds(1), std::nullopt},
        {"dated in the future", kLunch, kNow + seconds(1), std::nullopt},
        {"expired", {"Lunch", "", 1'759'999'999}, kNow - hours(1), std::nullopt},
        {"expires right now", {"Lunch", "", 1'760'000'000}, kNow - hours(1), std::nullopt},
        {"expires later", {"Lunch", "", 1'760'000'001}, kNow - hours(1), SlackStatus{"Lunch", "", 1'760'000'001}},
        {"never expires", {"Lunch", "", 0}, kNow - hours(11), SlackStatus{"Lunch", "", 0}},
        {"blank", {"  ", "", 0}, kNow - hours(1), std::nullopt},
        {"emoji only", {"", ":palm_tree:", 0}, kNow - hours(1), SlackStatus{"", ":palm_tree:", 0}},
    };
    for (const Row& row : rows) {
        StatusOwnershipRecord record;
        record.snapshot(row.saved, row.savedAt);
        EXPECT_EQ(record.savedStatus(kNow), row.expected) << row.name;
    }
}

TEST(StatusOwnershipRecord, SavedStatusWithPartialFields) {
    StatusOwnershipRecord record;
    record.savedText = "Away";
    EXPECT_EQ(record.savedStatus(kNow), std::nullopt) << "no date, nothing to restore";
    record.savedAt = kNow;
    EXPECT_EQ(record.savedStatus(kNow), (SlackStatus{"Away", "", 0})) << "missing emoji and expiration";
    record.savedText.reset();
    EXPECT_EQ(record.savedStatus(kNow), std::nullopt) << "a date without a status";
}

TEST(StatusOwnershipRecord, JsonFormWritesFlagsAlwaysAndOptionalsWhenPresent) {
    EXPECT_EQ(StatusOwnershipRecord().toJson(),
              nlohmann::json::parse(R"({"last_set_by_us":false,"is_yielded":false})"));

    StatusOwnershipRecord full("k", true);
    full.snapshot(kLunch, Instant(seconds(978'307'200 + 100)));
    full.recordWrite(kSong, "k2");
    EXPECT_EQ(full.toJson(), nlohmann::json::parse(R"({
        "last_key": "k2", "last_set_by_us": true,
        "saved_text": "Lunch", "saved_emoji": ":fork_and_knife:", "saved_expiration": 1760003600,
        "saved_at": 100.0,
        "last_set_text": "Song — Artist", "last_set_emoji": ":headphones:",
        "is_yielded": false})"));
    EXPECT_EQ(StatusOwnershipRecord::fromJson(full.toJson()), full);
}

TEST(StatusOwnershipRecord, JsonReadingIsLenientPerKeyAndStrictPerType) {
    EXPECT_EQ(StatusOwnershipRecord::fromJson(nlohmann::json::object()), StatusOwnershipRecord());
    const StatusOwnershipRecord read = StatusOwnershipRecord::fromJson(
        nlohmann::json::parse(R"({"saved_at": 12.5, "unknown": [1], "is_yielded": true})"));
    EXPECT_EQ(read.savedAt, Instant(seconds(978'307'212) + std::chrono::milliseconds(500)));
    EXPECT_TRUE(read.isYielded);
    EXPECT_FALSE(read.lastSetByUs);

    struct Row {
        std::string json;
        std::string location;
    };
    const std::vector<Row> bad = {
        {R"({"last_set_by_us": "true"})", "T1.last_set_by_us"},
        {R"({"last_key": 7})", "T1.last_key"},
        {R"({"saved_expiration": "0"})", "T1.saved_expiration"},
        {R"({"saved_expiration": 1.5})", "T1.saved_expiration"},
        {R"({"saved_at": "2025-01-01T00:00:00Z"})", "T1.saved_at"},
        {R"({"saved_at": 1e300})", "T1.saved_at"},
        {R"({"saved_text": ["a"]})", "T1.saved_text"},
        {R"([])", "T1"},
    };
    for (const Row& row : bad) {
        const DecodeError error = testing::decodeFailure(
            [&] { (void)StatusOwnershipRecord::fromJson(nlohmann::json::parse(row.json), JsonPath().key("T1")); });
        EXPECT_EQ(error.location(), row.location) << row.json;
    }
}

} // namespace
} // namespace nimbrel
