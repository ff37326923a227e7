#include "core/ownership/slack_web_answer.h"

#include <gtest/gtest.h>

#include "core/slack/slack_claim_answer.h"

namespace nimbrel {
namespace {

TEST(SlackWebAnswer, OnlyAnObjectWithOkTrueIsAccepted) {
    const struct {
        const char* body;
        const char* error; // null: accepted
    } cases[] = {
        {R"({"ok": true, "x": 1})", nullptr},
        {R"({"ok": false, "error": "invalid_auth"})", "invalid_auth"},
        {R"({"ok": false, "error": ""})", ""},
        {R"({"ok": 1, "error": "nope"})", "nope"},
        {R"({"ok": false, "error": ["x"]})", "unknown Slack error"},
        {R"({"error": "ratelimited"})", "ratelimited"},
        {R"([true])", "unknown Slack error"},
        {R"({"ok": tr)", "unknown Slack error"},
        {"\xff\xfe", "unknown Slack error"},
        {"", "unknown Slack error"},
    };
    for (const auto& test : cases) {
        const SlackWebAnswer::Outcome outcome = SlackWebAnswer::read(test.body);
        if (test.error == nullptr) {
            EXPECT_TRUE(std::holds_alternative<nlohmann::json>(outcome)) << test.body;
        } else {
            ASSERT_TRUE(std::holds_alternative<std::string>(outcome)) << test.body;
            EXPECT_EQ(std::get<std::string>(outcome), test.error) << test.body;
        }
    }
}

TEST(SlackWebAnswer, ProfileFieldsOfOtherTypesReadAsEmpty) {
    const auto status = [](const char* body) {
        return SlackWebAnswer::profileStatus(nlohmann::json::parse(body));
    };
    EXPECT_EQ(status(R"({"profile": {"status_text": "a", "status_emoji": ":b:", "status_expiration": 5}})"),
              (SlackStatus{"a", ":b:", 5}));
    EXPECT_EQ(status(R"({"profile": {"status_text": 1, "status_emoji": null, "status_expiration": "5"}})"),
              SlackStatus::empty());
    EXPECT_EQ(status(R"({"profile": {"status_expiration": 1e30}})"), SlackStatus::empty());
    EXPECT_EQ(status(R"({"profile": {"status_expiration": 18446744073709551615}})"), SlackStatus::empty());
    EXPECT_EQ(status(R"({"profile": "busy"})"), std::nullopt);
    EXPECT_EQ(status(R"({})"), std::nullopt);
}

TEST(SlackClaimAnswer, NeedsATokenAndReadsTheRestLeniently) {
    const std::chrono::sys_seconds now{std::chrono::seconds{1'800'000'000}};
    const auto full = SlackClaimAnswer::read(
        R"({"access_token": "xoxp-1", "team_name": "Acme", "team_id": "T1", "user_id": "U1", "scopes": ["a", "b"]})",
        now);
    ASSERT_TRUE(full);
    EXPECT_EQ(full->account, (SlackAccount{"Acme", "T1", "U1", {"a", "b"}, now, true}));
    for (const char* body : {R"({"access_token": ""})", R"({"access_token": 1})", R"({"team_id": "T1"})", "[]",
                             "xoxp-1", R"({"access_token": "xo)"}) {
        EXPECT_EQ(SlackClaimAnswer::read(body, now), std::nullopt) << body;
    }
    EXPECT_EQ(nlohmann::json::parse(SlackClaimAnswer::requestBody("v\"1")), (nlohmann::json{{"verifier", "v\"1"}}));
}

} // namespace
} // namespace nimbrel
