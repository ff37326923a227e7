#include "core/slack/slack_account.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/json/json_reader.h"
#include "tests/support/decode_failure.h"

namespace nimbrel {
namespace {

using std::chrono::sys_days;
using std::chrono::sys_seconds;

const sys_seconds kPiDay = sys_days{std::chrono::year{2025} / 3 / 14} + std::chrono::hours{9} +
                           std::chrono::minutes{26} + std::chrono::seconds{53};

SlackAccount account(std::string teamName, std::string teamID, std::string userID, bool isEnabled = true) {
    return SlackAccount{
        std::move(teamName), std::move(teamID), std::move(userID), {"users.profile:write"}, kPiDay, isEnabled};
}

SlackAccount decode(std::string_view text) {
    return SlackAccount::fromJson(parseJsonDocument(text), JsonPath().key("slack_accounts").index(0));
}

// Writing is checked against this reading by the configuration's round trip of generated accounts.
TEST(SlackAccountDecoding, ReadsEveryKey) {
    const SlackAccount decoded = decode(R"({"team_name": "Quillmoor", "team_id": "T0123", "user_id": "U0456",
        "scopes": ["users.profile:read", "users.profile:write"], "connected_at": "2025-03-14T09:26:53Z",
        "is_enabled": false, "token": "never stored, ignored"})");
    EXPECT_EQ(
        decoded,
        (SlackAccount{"Quillmoor", "T0123", "U0456", {"users.profile:read", "users.profile:write"}, kPiDay, false}));
}

TEST(SlackAccountDecoding, AbsentAndNullKeysGiveTheDefaults) {
    for (const char* text : {"{}", R"({"team_name": null, "team_id": null, "user_id": null, "scopes": null,
        "connected_at": null, "is_enabled": null})"}) {
        EXPECT_EQ(decode(text), (SlackAccount{"", "", "", {}, std::nullopt, true})) << text;
    }
}

TEST(SlackAccountDecoding, AnUnreadableDateIsNoDateAndNoError) {
    for (const char* date : {"yesterday", "", "2025-03-14", "2025-03-14T09:26:53.5Z"}) {
        const std::string text = std::string(R"({"team_id": "T1", "connected_at": ")") + date + "\"}";
        const SlackAccount decoded = decode(text);
        EXPECT_EQ(decoded.connectedAt, std::nullopt) << date;
        EXPECT_EQ(decoded.teamID, "T1");
        EXPECT_FALSE(decoded.toJson().contains("connected_at")) << date;
    }
}

TEST(SlackAccountDecoding, AKeyOfTheWrongTypeFailsWithItsPath) {
    struct Row {
        const char* text;
        const char* location;
        const char* reason;
    };
    const Row rows[] = {
        {R"({"is_enabled": "yes"})", "slack_accounts[0].is_enabled", "expected true or false, found a string"},
        {R"({"team_name": 42})", "slack_accounts[0].team_name", "expected text, found a whole number"},
        {R"({"team_id": ["T1"]})", "slack_accounts[0].team_id", "expected text, found a list"},
        {R"({"user_id": false})", "slack_accounts[0].user_id", "expected text, found true or false"},
        {R"({"scopes": "users.profile:read"})", "slack_accounts[0].scopes", "expected a list, found a string"},
        {R"({"scopes": ["a", 2]})", "slack_accounts[0].scopes[1]", "expected text, found a whole number"},
        {R"({"connected_at": 1710408413})", "slack_accounts[0].connected_at", "expected text, found a whole number"},
        {R"(["T1"])", "slack_accounts[0]", "expected an object, found a list"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        testing::expectDecodeError([&] { decode(row.text); }, row.location, row.reason);
    }
}

// Writing is checked against this reading by the configuration's round trip of generated accounts.
TEST(SlackAccount, DisplayNameAndScopes) {
    EXPECT_EQ(account("", "T0123", "U0456").displayName(), "U0456"); // the user, not the team
    EXPECT_EQ(account("Quillmoor", "T0123", "U0456").displayName(), "Quillmoor");
    EXPECT_EQ(account(" ", "T0123", "U0456").displayName(), " ");

    SlackAccount subject = account("Q", "T1", "U1");
    subject.scopes = {"users.profile:write", "Users.Profile:Read"};
    EXPECT_TRUE(subject.hasScope("users.profile:write"));
    EXPECT_TRUE(subject.hasScope("Users.Profile:Read"));
    for (const char* scope : {"users.profile:read", "users.profile", ""}) { // whole elements, exactly
        EXPECT_FALSE(subject.hasScope(scope)) << scope;
    }
}

TEST(SlackAccountUpserting, AReconnectReplacesTheFirstRecordOfItsTeamInPlaceAndKeepsTheSwitch) {
    const std::vector<SlackAccount> before = {account("A", "T1", "U1"), account("Old name", "T2", "U2", false),
                                              account("Again", "T2", "U3")};
    SlackAccount refreshed{"New name", "T2", "U9", {"users.profile:read"}, std::nullopt, true};
    const std::vector<SlackAccount> after = SlackAccount::upserting(refreshed, before);
    refreshed.isEnabled = false;
    EXPECT_EQ(after, (std::vector<SlackAccount>{before[0], refreshed, before[2]}));
}

TEST(SlackAccountUpserting, ANewTeamIsAppendedAndTheOrderKept) {
    const std::vector<SlackAccount> before = {account("A", "T1", "U1"), account("B", "T2", "U2")};
    const SlackAccount added = account("New", "t1", "U3", false); // team ids are case-sensitive
    EXPECT_EQ(SlackAccount::upserting(added, before), (std::vector<SlackAccount>{before[0], before[1], added}));
    EXPECT_EQ(SlackAccount::upserting(added, {}), std::vector<SlackAccount>{added});
}

} // namespace
} // namespace nimbrel
