#include "app/clients/slack_auth_client.h"

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/clients/api_endpoint.h"
#include "app/settings/user_defaults.h"
#include "tests/app/clients/client_test_support.h"
#include "tests/support/fake_signin/fake_signin_server.h"
#include "tests/support/keyring_test_support.h"

namespace nimbrel {
namespace {

using namespace std::chrono_literals;
using testing::ScriptedResponse;
using testing::status;

constexpr const char* kVerifier = "dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk";

class SlackAuthClientTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_GT(server.start(), 0); }
    SlackAuthClient client() const {
        return SlackAuthClient(testing::url(server.baseURL() + "/"), virtualTime.session, 3);
    }

    testing::FakeSignInServer server;
    testing::VirtualSession virtualTime;
};

TEST_F(SlackAuthClientTest, ASignInIsClaimedExactlyOnce) {
    server.addPendingSignIn(kVerifier, {"xoxp-claimed", "Acme", "T42", "U7", {"emoji:read", "users.profile:read"}});
    const auto claimed = QCoro::waitFor(client().claim(kVerifier));
    ASSERT_TRUE(claimed) << claimed.error().description();
    EXPECT_EQ(claimed.value().token, "xoxp-claimed");
    const auto now = std::chrono::floor<std::chrono::seconds>(virtualTime.timers->now());
    EXPECT_EQ(claimed.value().account,
              (SlackAccount{"Acme", "T42", "U7", {"emoji:read", "users.profile:read"}, now, true}));
    const testing::RecordedRequest sent = server.requests().front();
    EXPECT_EQ(sent.method + " " + sent.path + " " + sent.header("Content-Type"), "POST /slack/claim application/json");
    EXPECT_EQ(nlohmann::json::parse(sent.body), (nlohmann::json{{"verifier", kVerifier}}));

    // Claimed once: the service now answers 404, retried as a sign-in that may not be stored yet.
    const auto again = QCoro::waitFor(client().claim(kVerifier));
    ASSERT_FALSE(again);
    EXPECT_EQ(again.error().description(), SlackAuthClient::kExpiredOrClaimedDescription);
    EXPECT_EQ(server.requestCount("/slack/claim"), 4u);
    EXPECT_EQ(virtualTime.retryWaits(), (std::vector<std::chrono::milliseconds>{1500ms, 3000ms}));
}

TEST_F(SlackAuthClientTest, AnswersAndRetries) {
    const auto answer = [](const nlohmann::json& body) {
        return ScriptedResponse::json(200, body);
    };
    const ScriptedResponse good = answer({{"access_token", "xoxp-1"}, {"team_id", "T1"}});
    const std::string bad = SlackAuthClient::kBadResponseDescription;
    const std::vector<testing::RetryCase> rows = {
        {"500 then success", {status(500), good}, 2, {1500ms}, std::nullopt},
        {"429 then success", {status(429), good}, 2, {1500ms}, std::nullopt},
        {"cut short, then success", {testing::cutShort(good), good}, 2, {1500ms}, std::nullopt},
        {"403 is final", {status(403)}, 1, {}, "The Nimbrel service returned HTTP 403."},
        {"5xx throughout",
         {status(502), status(503), status(500)},
         3,
         {1500ms, 3000ms},
         "The Nimbrel service returned HTTP 500."},
        {"an empty token", {answer({{"access_token", ""}})}, 1, {}, bad},
        {"a token of the wrong type", {answer({{"access_token", 7}})}, 1, {}, bad},
        {"no token", {answer({{"team_id", "T1"}})}, 1, {}, bad},
        {"not JSON", {ScriptedResponse::text(200, "OK")}, 1, {}, bad},
        {"truncated JSON", {ScriptedResponse::text(200, R"({"access_token": "xo)")}, 1, {}, bad},
        {"an array", {answer({1})}, 1, {}, bad},
        {"a 2 MiB body",
         {ScriptedResponse::text(200, std::string(2u << 20, 'x'))},
         1,
         {},
         "The server\u2019s answer was larger than 1 MiB."},
    };
    testing::runRetryTable(
        rows, server, "/slack/claim", virtualTime, [&](const testing::RetryCase&) { return client().claim(kVerifier); },
        [](const auto& claimed) { EXPECT_EQ(claimed.token, "xoxp-1"); });

    // Optional fields of other types read as empty.
    server.script("/slack/claim",
                  answer({{"access_token", "x"}, {"team_name", 5}, {"user_id", nullptr}, {"scopes", {"a", 1}}}));
    const SlackAccount account = QCoro::waitFor(client().claim(kVerifier)).value().account;
    EXPECT_EQ(account.teamName + account.teamID + account.userID, "");
    EXPECT_TRUE(account.scopes.empty());
}

TEST_F(SlackAuthClientTest, ADeadlineEndsAClaimThatIsNeverAnswered) {
    for (int i = 0; i < 3; ++i) {
        server.script("/slack/claim", ScriptedResponse::hang());
    }
    auto task = client().claim(kVerifier);
    const auto outcome = testing::awaitFiringDeadlines(task, *virtualTime.timers, server);
    EXPECT_EQ(outcome.error().description(), "The request timed out.");
    EXPECT_EQ(server.requestCount(), 3u);
    server.releaseHangs();
}

TEST(APIEndpoint, TheOverrideIsTrimmedLoggedAndNeedsAnHttpAddress) {
    testing::CapturedLog log;
    ::setenv(UserDefaults::kAPIBaseURL, "  https://signin.example/base/ \n", 1);
    EXPECT_EQ(APIEndpoint::resolve(), QUrl(QStringLiteral("https://signin.example/base/")));
    ::setenv(UserDefaults::kAPIBaseURL, "signin", 1);
    EXPECT_EQ(APIEndpoint::resolve(), APIEndpoint::builtInBaseURL());
    ::unsetenv(UserDefaults::kAPIBaseURL);
    EXPECT_EQ(log.messages(), (std::vector<std::string>{"APIEndpoint: using override https://signin.example/base/"}));

    EXPECT_FALSE(APIEndpoint::isConfigured(QUrl(QStringLiteral("https://REPLACE_ME.example/"))));
    EXPECT_TRUE(APIEndpoint::isConfigured(QUrl(QStringLiteral("https://signin.example/"))));
}

} // namespace
} // namespace nimbrel
