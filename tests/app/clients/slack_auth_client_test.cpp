#include "app/clients/slack_auth_client.h"

#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/clients/api_endpoint.h"
#include "app/log/app_log.h"
#include "app/settings/user_defaults.h"
#include "tests/app/clients/client_test_support.h"
#include "tests/support/fake_signin/fake_signin_server.h"
#include "tests/support/temporary_folder.h"

namespace nimbrel {
namespace {

using namespace std::chrono_literals;
using testing::FakeSignInServer;
using testing::ScriptedResponse;

constexpr const char* kVerifier = "dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk";

class SlackAuthClientTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_GT(server.start(), 0); }
    SlackAuthClient client() const {
        return SlackAuthClient(testing::url(server.baseURL() + "/"), virtualTime.session, 3);
    }

    FakeSignInServer server;
    testing::VirtualSession virtualTime;
};

TEST_F(SlackAuthClientTest, ASignInIsClaimedExactlyOnce) {
    server.addPendingSignIn(kVerifier, {"xoxp-claimed", "Acme", "T42", "U7", {"emoji:read", "users.profile:read"}});
    const auto claimed = QCoro::waitFor(client().claim(kVerifier));
    ASSERT_TRUE(claimed) << claimed.error().description();
    EXPECT_EQ(claimed.value().token, "xoxp-claimed");
    SlackAccount expected{"Acme",
                          "T42",
                          "U7",
                          {"emoji:read", "users.profile:read"},
                          std::chrono::floor<std::chrono::seconds>(virtualTime.timers->now()),
                          true};
    EXPECT_EQ(claimed.value().account, expected);

    const testing::RecordedRequest sent = server.requests().front();
    EXPECT_EQ(sent.method, "POST");
    EXPECT_EQ(sent.path, "/slack/claim");
    EXPECT_EQ(sent.header("Content-Type"), "application/json");
    EXPECT_EQ(nlohmann::json::parse(sent.body), (nlohmann::json{{"verifier", kVerifier}}));

    // Claimed once: the service now answers 404, retried as a sign-in that may not be stored yet.
    const auto again = QCoro::waitFor(client().claim(kVerifier));
    ASSERT_FALSE(again);
    EXPECT_EQ(again.error().description(), SlackAuthClient::kExpiredOrClaimedDescription);
    EXPECT_EQ(server.requestCount("/slack/claim"), 4u);
    EXPECT_EQ(virtualTime.retryWaits(), (std::vector<std::chrono::milliseconds>{1500ms, 3000ms}));
}

struct ClaimCase {
    const char* name;
    std::vector<ScriptedResponse> answers;
    std::size_t expectedSends;
    std::vector<std::chrono::milliseconds> expectedWaits;
    std::optional<std::string> expectedDescription;
};

TEST_F(SlackAuthClientTest, AnswersAndRetries) {
    const auto answer = [](const nlohmann::json& body) {
        return ScriptedResponse::json(200, body);
    };
    const ScriptedResponse good = answer({{"access_token", "xoxp-1"}, {"team_id", "T1"}});
    ScriptedResponse cutShort = good;
    cutShort.behaviour = ScriptedResponse::Behaviour::truncate;
    const std::vector<ClaimCase> cases = {
        {"500 then success", {ScriptedResponse::text(500, ""), good}, 2, {1500ms}, std::nullopt},
        {"429 then success", {ScriptedResponse::text(429, ""), good}, 2, {1500ms}, std::nullopt},
        {"403 is final", {ScriptedResponse::text(403, "")}, 1, {}, "The Nimbrel service returned HTTP 403."},
        {"5xx throughout",
         {ScriptedResponse::text(502, ""), ScriptedResponse::text(503, ""), ScriptedResponse::text(500, "")},
         3,
         {1500ms, 3000ms},
         "The Nimbrel service returned HTTP 500."},
        {"an empty token", {answer({{"access_token", ""}})}, 1, {}, SlackAuthClient::kBadResponseDescription},
        {"a token of the wrong type", {answer({{"access_token", 7}})}, 1, {}, SlackAuthClient::kBadResponseDescription},
        {"no token", {answer({{"team_id", "T1"}})}, 1, {}, SlackAuthClient::kBadResponseDescription},
        {"not JSON", {ScriptedResponse::text(200, "OK")}, 1, {}, SlackAuthClient::kBadResponseDescription},
        {"truncated JSON",
         {ScriptedResponse::text(200, R"({"access_token": "xo)")},
         1,
         {},
         SlackAuthClient::kBadResponseDescription},
        {"an array", {answer({1})}, 1, {}, SlackAuthClient::kBadResponseDescription},
        {"a 2 MiB body",
         {ScriptedResponse::text(200, std::string(2u << 20, 'x'))},
         1,
         {},
         "The server\u2019s answer was larger than 1 MiB."},
        {"cut short, then success", {cutShort, good}, 2, {1500ms}, std::nullopt},
    };
    for (const ClaimCase& test : cases) {
        SCOPED_TRACE(test.name);
        server.reset();
        testing::VirtualSession fresh;
        virtualTime = fresh;
        for (const ScriptedResponse& scripted : test.answers) {
            server.script("/slack/claim", scripted);
        }
        const auto outcome = QCoro::waitFor(client().claim(kVerifier));
        EXPECT_EQ(server.requestCount(), test.expectedSends);
        EXPECT_EQ(virtualTime.retryWaits(), test.expectedWaits);
        if (test.expectedDescription) {
            ASSERT_FALSE(outcome);
            EXPECT_EQ(outcome.error().description(), *test.expectedDescription);
        } else {
            ASSERT_TRUE(outcome) << outcome.error().description();
            EXPECT_EQ(outcome.value().token, "xoxp-1");
        }
    }
}

TEST_F(SlackAuthClientTest, OptionalFieldsOfOtherTypesReadAsEmpty) {
    server.script("/slack/claim",
                  ScriptedResponse::json(
                      200, {{"access_token", "xoxp-1"}, {"team_name", 5}, {"user_id", nullptr}, {"scopes", {"a", 1}}}));
    const auto outcome = QCoro::waitFor(client().claim(kVerifier));
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome.value().account.teamName, "");
    EXPECT_EQ(outcome.value().account.teamID, "");
    EXPECT_EQ(outcome.value().account.userID, "");
    EXPECT_TRUE(outcome.value().account.scopes.empty());
}

TEST_F(SlackAuthClientTest, ADeadlineEndsAClaimThatIsNeverAnswered) {
    for (int i = 0; i < 3; ++i) {
        server.script("/slack/claim", ScriptedResponse::hang());
    }
    auto task = client().claim(kVerifier);
    const auto outcome = testing::awaitFiringDeadlines(task, *virtualTime.timers, server);
    ASSERT_FALSE(outcome);
    EXPECT_EQ(outcome.error().description(), "The request timed out.");
    EXPECT_EQ(server.requestCount(), 3u);
    server.releaseHangs();
}

TEST(APIEndpoint, TheOverrideIsTrimmedLoggedAndNeedsAnHttpAddress) {
    testing::TemporaryFolder folder;
    std::mutex mutex;
    std::vector<std::string> lines;
    AppLog log({.folder = folder.path(), .systemLog = [&](LogLevel, std::string_view line) {
                    const std::lock_guard lock(mutex);
                    lines.emplace_back(line);
                }});
    installAppLog(&log);

    ::setenv(UserDefaults::kAPIBaseURL, "  https://signin.example/base/ \n", 1);
    EXPECT_EQ(APIEndpoint::resolve(), QUrl(QStringLiteral("https://signin.example/base/")));
    EXPECT_EQ(lines, (std::vector<std::string>{"APIEndpoint: using override https://signin.example/base/"}));

    ::setenv(UserDefaults::kAPIBaseURL, "signin", 1);
    EXPECT_EQ(APIEndpoint::resolve(), APIEndpoint::builtInBaseURL());
    EXPECT_EQ(lines.size(), 1u);
    ::unsetenv(UserDefaults::kAPIBaseURL);
    installAppLog(nullptr);

    EXPECT_FALSE(APIEndpoint::isConfigured(QUrl(QStringLiteral("https://REPLACE_ME.example/"))));
    EXPECT_TRUE(APIEndpoint::isConfigured(QUrl(QStringLiteral("https://signin.example/"))));
}

} // namespace
} // namespace nimbrel
