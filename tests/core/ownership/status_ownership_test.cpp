#include "core/ownership/status_ownership.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

using std::chrono::seconds;

const Instant kNow = Instant(seconds(1'760'000'000));

TEST(SlackStatus, Emptiness) {
    EXPECT_TRUE(SlackStatus::empty().isEmpty());
    EXPECT_TRUE((SlackStatus{"   ", "", 0}.isEmpty()));
    EXPECT_TRUE((SlackStatus{" \n\t", " ", 1'900'000'000}.isEmpty())); // the expiration does not count
    EXPECT_FALSE((SlackStatus{"", ":headphones:", 0}.isEmpty()));
    EXPECT_FALSE((SlackStatus{"Lunch", "", 0}.isEmpty()));
}

TEST(StatusOwnership, CanonicalText) {
    EXPECT_EQ(StatusOwnership::canonicalText("  Jazz :headphones: night \n"), "Jazz 🎧 night");
    EXPECT_EQ(StatusOwnership::canonicalText(":HEADPHONES:"), "🎧");
    EXPECT_EQ(StatusOwnership::canonicalText(":not_a_known_code:"), ":not_a_known_code:");
    EXPECT_EQ(StatusOwnership::canonicalText(""), "");
}

TEST(StatusOwnership, SameStatus) {
    struct Row {
        SlackStatus a;
        SlackStatus b;
        bool same;
    };
    const std::vector<Row> rows = {
        {{"Focus", ":headphones:", 0}, {"Focus", ":headphones:", 0}, true},
        {{"Focus", ":Headphones:", 0}, {"Focus", "headphones", 0}, true},
        {{"Focus", " :zap: ", 0}, {"Focus", "ZAP", 0}, true},
        {{"Jazz 🎧", "", 0}, {"Jazz :headphones:", "", 0}, true},
        {{" Jazz ", "", 0}, {"Jazz", "", 0}, true},
        {{"Focus", ":zap:", 0}, {"Focus", ":zap:", 1'900'000'000}, true},
        {{"Focus", ":zap:", 0}, {"focus", ":zap:", 0}, false},
        {{"Focus", ":zap:", 0}, {"Focus", ":fire:", 0}, false},
        {{"Focus", ":zap:", 0}, {"Focus", "", 0}, false},
        {{"Focus", "::", 0}, {"Focus", "", 0}, false},
        {{"", "", 0}, {"", "", 0}, true},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(StatusOwnership::isSameStatus(row.a, row.b), row.same) << row.a.text << " / " << row.b.text;
        EXPECT_EQ(StatusOwnership::isSameStatus(row.b, row.a), row.same) << "symmetric";
    }
}

TEST(StatusOwnership, IsOneOf) {
    const std::vector<SlackStatus> list = {{"A", ":zap:", 0}, {"B 🎧", "", 0}};
    EXPECT_TRUE(StatusOwnership::isOneOf({"A", "zap", 0}, list));
    EXPECT_TRUE(StatusOwnership::isOneOf({"B :headphones:", "", 0}, list));
    EXPECT_FALSE(StatusOwnership::isOneOf({"C", "", 0}, list));
    EXPECT_FALSE(StatusOwnership::isOneOf({"A", ":zap:", 0}, {}));
}

TEST(StatusOwnership, Owner) {
    struct Row {
        std::string name;
        SlackStatus current;
        std::optional<SlackStatus> lastSet;
        StatusOwner expected;
    };
    const std::vector<Row> rows = {
        {"empty status belongs to nobody", SlackStatus::empty(), SlackStatus{"Song", ":zap:", 0}, StatusOwner::none},
        {"blank status belongs to nobody", {"  ", " ", 0}, std::nullopt, StatusOwner::none},
        {"nothing ever written", {"Lunch", ":fork:", 0}, std::nullopt, StatusOwner::foreign},
        {"same as written", {"Song", ":zap:", 0}, SlackStatus{"Song", ":zap:", 0}, StatusOwner::ours},
        {"emoji differs only in case and colons",
         {"Song", ":Headphones:", 0},
         SlackStatus{"Song", "headphones", 0},
         StatusOwner::ours},
        {"shortcode spelled out by Slack", {"Song :zap:", "", 0}, SlackStatus{"Song ⚡️", "", 0}, StatusOwner::ours},
        {"emoji absent from the record", {"Song", ":zap:", 0}, SlackStatus{"Song", "", 0}, StatusOwner::foreign},
        {"different text", {"Lunch", ":zap:", 0}, SlackStatus{"Song", ":zap:", 0}, StatusOwner::foreign},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(StatusOwnership::owner(row.current, row.lastSet), row.expected) << row.name;
    }
}

// The twelve-hour and expiry boundaries are checked through savedStatus in the record's tests.
TEST(StatusOwnership, FreshnessAndExpiryEdges) {
    EXPECT_FALSE(StatusOwnership::isSnapshotFresh(std::nullopt, kNow));
    EXPECT_FALSE(StatusOwnership::isSnapshotFresh(kNow + std::chrono::milliseconds(1), kNow));
    EXPECT_FALSE(StatusOwnership::hasExpired(-5, kNow));
    EXPECT_TRUE(StatusOwnership::hasExpired(1, kNow));
}

} // namespace
} // namespace nimbrel
