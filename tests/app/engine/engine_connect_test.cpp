// Connecting and disconnecting workspaces, end to end on loopback: the sign-in service and Slack are the
// HTTP fakes, the token goes into a real keyring (gnome-keyring-daemon on a private bus) and the accounts
// into a real config.json. Time is virtual, so the claim's retries cost nothing.

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrlQuery>

#include <nlohmann/json.hpp>

#include "app/clients/slack_auth_client.h"
#include "app/clients/slack_client.h"
#include "app/clients/slack_token_store.h"
#include "app/engine/accounts_settings.h"
#include "app/engine/connect_text.h"
#include "app/engine/sign_in_browser.h"
#include "core/slack/slack_auth.h"
#include "tests/app/engine/engine_test_support.h"
#include "tests/support/fake_signin/fake_signin_server.h"
#include "tests/support/fake_slack/fake_slack_server.h"
#include "tests/support/keyring_lock.h"
#include "tests/support/keyring_test_support.h"

namespace nimbrel {
namespace {

using namespace std::chrono_literals;
using Kind = ConnectPhase::Kind;
using Grant = testing::FakeSignInServer::Grant;
using testing::readBytes;

const std::vector<std::string> kAllScopes = {"users.profile:read", "users.profile:write", "emoji:read"};

class ConnectTest : public testing::EngineTest {
protected:
    ConnectTest() {
        EXPECT_GT(signIn.start(), 0);
        EXPECT_GT(slackServer.start(), 0);
        signInBase = QUrl(QString::fromStdString(signIn.baseURL() + "/"));
        slackBase = QUrl(QString::fromStdString(slackServer.apiBaseURL()));
        adjustParts = [this](EngineViewModel::Parts& parts) {
            parts.signInBase = signInBase;
            parts.signInSession = session;
            parts.readToken = [this](std::string teamID) {
                return store.read(std::move(teamID));
            };
            parts.writeToken = [this](SecretText token, std::string teamID) {
                return store.write(std::move(token), std::move(teamID));
            };
            parts.deleteToken = [this](std::string teamID) {
                return store.deleteToken(std::move(teamID));
            };
            parts.makeClient = [this](const std::string& token) -> std::shared_ptr<const SlackApi> {
                return std::make_shared<const SlackClient>(token, session, 3, slackBase);
            };
        };
    }
    ~ConnectTest() override {
        // The engine's parts call into the keyring and the servers below; it goes first.
        if (engine) {
            testing::processEventsUntil([this] { return !engine->hasWorkInFlight(); });
            engine.reset();
        }
    }

    /// Workspaces whose tokens ("xoxp-" + team id) are in the keyring and known to Slack, then the engine.
    EngineViewModel& makeConnectedEngine(const std::vector<std::string>& teamIDs,
                                         std::vector<std::string> withoutToken = {}) {
        for (const std::string& teamID : teamIDs) {
            slackServer.addToken("xoxp-" + teamID, teamID);
            if (std::find(withoutToken.begin(), withoutToken.end(), teamID) == withoutToken.end()) {
                EXPECT_FALSE(testing::settled(store.write(SecretText("xoxp-" + teamID), teamID)));
            }
        }
        EngineViewModel& made = makeEngine(teamIDs, "restore", std::move(withoutToken));
        QObject::connect(&made, &EngineViewModel::connectPhaseChanged,
                         [this] { phases.push_back(engine->connectPhase().kind); });
        return made;
    }

    /// The browser's part: opens the start link, where the fake service signs in at once, and answers the
    /// address it sends the browser back to.
    QString browse(const QUrl& link) {
        QNetworkAccessManager browser;
        QNetworkRequest request(link);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        QNetworkReply* reply = browser.get(request);
        EXPECT_TRUE(testing::processEventsUntil([reply] { return reply->isFinished(); }));
        const QString location = QString::fromUtf8(reply->rawHeader("Location"));
        reply->deleteLater();
        return location;
    }
    /// The callback address of the attempt whose start link this is, as the service would send it.
    static QString callbackFor(const QUrl& link) {
        return QStringLiteral("nimbrel://auth?state=") + QUrlQuery(link).queryItemValue(QStringLiteral("state"));
    }
    void callback(const QString& address) {
        auto handling = engine->handleCallback(address);
        ASSERT_TRUE(testing::processEventsUntil([&] { return handling.isReady(); }));
        settle();
    }
    /// Begin, sign in at the service, come back: a whole attempt as the user makes it.
    void connect(const Grant& grant) {
        signIn.setAutomaticGrant(grant);
        slackServer.addToken(grant.token, grant.teamID);
        const std::optional<QUrl> link = engine->beginConnect();
        ASSERT_TRUE(link);
        callback(browse(*link));
    }
    void disconnect(const SlackAccount& account) {
        auto disconnecting = engine->disconnect(account);
        ASSERT_TRUE(testing::processEventsUntil([&] { return disconnecting.isReady(); }));
        settle();
    }
    std::optional<std::string> keyringToken(const std::string& teamID) {
        const SecretLookup lookup = testing::settled(store.read(teamID));
        return lookup.found() ? std::optional<std::string>(lookup.secret->view()) : std::nullopt;
    }
    std::vector<std::string> configuredTeams() {
        std::vector<std::string> teams;
        const nlohmann::json config = nlohmann::json::parse(readBytes(path("config.json")));
        for (const auto& account : config.at("slack_accounts")) {
            const bool enabled = account.value("is_enabled", true);
            teams.push_back(account.value("team_id", std::string()) + (enabled ? "" : " (off)"));
        }
        return teams;
    }

    testing::FakeSignInServer signIn;
    testing::FakeSlackServer slackServer;
    SlackTokenStore store;
    std::shared_ptr<HttpSession> session = std::make_shared<HttpSession>(HttpSession::slackOptions(), timers);
    QUrl signInBase;
    QUrl slackBase;
    std::vector<Kind> phases;
};

TEST_F(ConnectTest, ConnectsThroughTheBrowserKeepsTheTokenInTheKeyringAndPostsTheNextTrack) {
    makeConnectedEngine({"T1"});
    startEngine();
    signIn.setAutomaticGrant(Grant{"xoxp-acme", "Acme", "T9", "U9", kAllScopes});
    slackServer.addToken("xoxp-acme", "T9");

    const std::optional<QUrl> link = engine->beginConnect();
    ASSERT_TRUE(link);
    EXPECT_EQ(link->toString(QUrl::RemoveQuery).toStdString(), signIn.baseURL() + "/slack/start");
    const QString address = browse(*link);
    callback(address);

    EXPECT_EQ(phases, (std::vector<Kind>{Kind::waitingForBrowser, Kind::claiming, Kind::idle}));
    EXPECT_EQ(logged(ConnectText::connected("T9")), 1u);
    EXPECT_EQ(testing::secretTool({"lookup", "service", SlackTokenStore::kService, "account", "T9"}).out.trimmed(),
              "xoxp-acme");
    EXPECT_EQ(configuredTeams(), (std::vector<std::string>{"T1", "T9"}));
    EXPECT_EQ(engine->config().slackAccounts.back().displayName(), "Acme");
    EXPECT_EQ(logged("xoxp-"), 0u) << "a token reached the log";

    // The same callback again (a browser that reloads): ignored, nothing claimed twice.
    callback(address);
    EXPECT_EQ(logged(ConnectText::kIgnoringCallback), 1u);
    EXPECT_EQ(signIn.requestCount("/slack/claim"), 1u);
    EXPECT_EQ(engine->connectPhase(), ConnectPhase::idle());

    play("Kavinsky", "Nightcall");
    EXPECT_EQ(slackServer.profile("xoxp-acme")->statusText, "Focus \u00b7 Nightcall");
    EXPECT_EQ(slackServer.profile("xoxp-T1")->statusText, "Focus \u00b7 Nightcall");
}

TEST_F(ConnectTest, ReconnectingKeepsTheWorkspaceInPlaceWithItsSwitchAndSaysItWasRefreshed) {
    // T1's token went missing from the keyring, and its posting was switched off.
    makeConnectedEngine({"T1", "T2"}, {"T1"});
    engine->setPosting("T1", false);
    ASSERT_TRUE(engine->slack().runtime("T1")->isRejected());

    connect(Grant{"xoxp-T1-again", "Renamed", "T1", "U1", {"users.profile:write"}});

    EXPECT_EQ(engine->connectPhase(), ConnectPhase::refreshed("Renamed"));
    EXPECT_EQ(logged(ConnectText::refreshed("T1")), 1u);
    EXPECT_EQ(configuredTeams(), (std::vector<std::string>{"T1 (off)", "T2"}));
    EXPECT_EQ(keyringToken("T1"), "xoxp-T1-again");
    EXPECT_FALSE(engine->slack().runtime("T1")->isRejected());
    EXPECT_EQ(AccountsSettings::rows(*engine).front().warnings.size(), 2u) << "the new scopes are the ones shown";

    // The next attempt's start clears the message; disconnecting clears a failure, not an attempt in flight.
    ASSERT_TRUE(engine->beginConnect());
    disconnect(engine->config().slackAccounts.back());
    EXPECT_EQ(engine->connectPhase(), ConnectPhase::waitingForBrowser());
}

TEST_F(ConnectTest, RefusedCallbacksFailTheAttemptAndWriteNothing) {
    const std::string valid = SlackAuth::challenge(SlackAuth::makeVerifier());
    struct Row {
        const char* name;
        std::function<QString(const QUrl& link, const QUrl& olderLink)> address;
        std::string message;
        std::string logLine;
    };
    const auto fixed = [](std::string text) {
        return [text](const QUrl&, const QUrl&) {
            return QString::fromStdString(text);
        };
    };
    const std::string slackText = "Slack returned an error: ";
    const std::vector<Row> rows = {
        {"junk", fixed("]]not an address at all"), std::string(SlackAuthError::kMalformedCallbackDescription),
         "connect: malformedCallback"},
        {"a wrong scheme", fixed("https://auth?state=" + valid),
         std::string(SlackAuthError::kMalformedCallbackDescription), "connect: malformedCallback"},
        {"a 10,000-character query", fixed("nimbrel://auth?state=" + std::string(10'000, 'a')),
         std::string(SlackAuthError::kInvalidStateDescription), "connect: invalidState"},
        {"a refusal", fixed("nimbrel://auth?error=access_denied&state=" + valid),
         std::string(SlackAuthError::kAccessDeniedDescription), "connect: accessDenied"},
        {"an error that tries to forge a log line", fixed("nimbrel://auth?error=oops%0Aconnect:%20connected%20%22x"),
         slackText + "oops\nconnect: connected \"x", R"(connect: slack("oops\nconnect: connected \"x"))"},
        {"an older attempt's state", [](const QUrl&, const QUrl& older) { return callbackFor(older); },
         std::string(SlackAuthError::kInvalidStateDescription), std::string(ConnectText::kStateMismatch)},
    };
    makeConnectedEngine({"T1"});
    signIn.setAutomaticGrant(Grant{"xoxp-T5", "Five", "T5", "U5", kAllScopes});
    const std::string configBefore = readBytes(path("config.json"));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::optional<QUrl> older = engine->beginConnect();
        const std::optional<QUrl> link = engine->beginConnect();
        ASSERT_TRUE(older && link);
        callback(row.address(*link, *older));
        EXPECT_EQ(engine->connectPhase(), ConnectPhase::failed(row.message));
        EXPECT_EQ(lines().back(), row.logLine);

        // The attempt is over: its own, correct callback now finds nothing pending.
        const std::size_t ignoredBefore = logged(ConnectText::kIgnoringCallback);
        callback(callbackFor(*link));
        EXPECT_EQ(logged(ConnectText::kIgnoringCallback), ignoredBefore + 1);
        EXPECT_EQ(engine->connectPhase(), ConnectPhase::failed(row.message)) << "an ignored callback leaves the phase";
    }
    EXPECT_EQ(signIn.requestCount("/slack/claim"), 0u);
    EXPECT_EQ(keyringToken("T5"), std::nullopt);
    EXPECT_EQ(readBytes(path("config.json")), configBefore);

    // Cancelling ends an attempt the same way, without a message.
    const std::optional<QUrl> link = engine->beginConnect();
    engine->cancelConnect();
    EXPECT_EQ(engine->connectPhase(), ConnectPhase::idle());
    callback(callbackFor(*link));
    EXPECT_EQ(signIn.requestCount("/slack/claim"), 0u);
}

TEST_F(ConnectTest, ClaimsThatFail) {
    struct Row {
        const char* name;
        std::vector<testing::ScriptedResponse> answers; // none: the service knows no such sign-in (404)
        std::string message;
        std::size_t sends;
        std::chrono::milliseconds waited;
    };
    const std::vector<Row> rows = {
        {"expired or claimed: 404 three times", {}, SlackAuthClient::kExpiredOrClaimedDescription, 3, 4500ms},
        {"refused at once",
         {testing::ScriptedResponse::text(403, "")},
         "The Nimbrel service returned HTTP 403.",
         1,
         0ms},
        // A workspace without an id could be neither stored nor told apart from the next one.
        {"an answer without a team id",
         {testing::ScriptedResponse::json(200, {{"access_token", "xoxp-nobody"}, {"team_name", "Nobody"}})},
         SlackAuthClient::kBadResponseDescription,
         1,
         0ms},
    };
    makeConnectedEngine({"T1"});
    const std::string configBefore = readBytes(path("config.json"));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        signIn.reset();
        for (const testing::ScriptedResponse& answer : row.answers) {
            signIn.script("/slack/claim", answer);
        }
        const std::optional<QUrl> link = engine->beginConnect();
        ASSERT_TRUE(link);
        const Instant before = timers->now();
        callback(callbackFor(*link));
        EXPECT_EQ(engine->connectPhase(), ConnectPhase::failed(row.message));
        EXPECT_EQ(lines().back(), ConnectText::claimFailed(row.message));
        EXPECT_EQ(signIn.requestCount("/slack/claim"), row.sends);
        EXPECT_EQ(std::chrono::duration_cast<std::chrono::milliseconds>(timers->now() - before), row.waited);
    }
    EXPECT_EQ(readBytes(path("config.json")), configBefore);
    EXPECT_EQ(keyringToken(""), std::nullopt);
}

TEST_F(ConnectTest, AClaimThatOutlivesItsAttemptLeavesTheNewAttemptsPhaseAlone) {
    makeConnectedEngine({"T1"});
    timers->setAutoFire({}); // the claim's retry waits until the test moves time
    const std::optional<QUrl> first = engine->beginConnect();
    auto handling = engine->handleCallback(callbackFor(*first));
    ASSERT_TRUE(testing::processEventsUntil([&] { return timers->pending(TimerPurpose::retryWait) == 1; }));
    EXPECT_EQ(engine->connectPhase(), ConnectPhase::claiming());

    ASSERT_TRUE(engine->beginConnect());
    while (!handling.isReady()) {
        timers->fireNext(TimerPurpose::retryWait);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_EQ(engine->connectPhase(), ConnectPhase::waitingForBrowser());
    EXPECT_EQ(logged(ConnectText::claimFailed(SlackAuthClient::kExpiredOrClaimedDescription)), 1u);
}

TEST_F(ConnectTest, AServiceAddressThatWasNeverSetOrMakesNoLinkOpensNothing) {
    const std::vector<std::pair<QUrl, std::string_view>> rows = {
        {QUrl(QStringLiteral("https://nimbrel-signin.invalid/REPLACE_ME/")), ConnectText::kServiceNotSet},
        {QUrl(QStringLiteral("mailto:signin@example.com")), ConnectText::kNoLink},
    };
    for (const auto& [base, message] : rows) {
        SCOPED_TRACE(base.toString().toStdString());
        signInBase = base;
        makeConnectedEngine({});
        EXPECT_EQ(engine->beginConnect(), std::nullopt);
        EXPECT_EQ(engine->connectPhase(), ConnectPhase::failed(std::string(message)));
        const std::size_t ignored = logged(ConnectText::kIgnoringCallback);
        callback(QStringLiteral("nimbrel://auth?state=") + QString::fromStdString(SlackAuth::challenge("v")));
        EXPECT_EQ(logged(ConnectText::kIgnoringCallback), ignored + 1);
        engine.reset();
    }
    EXPECT_EQ(signIn.requestCount(), 0u);
}

TEST_F(ConnectTest, DisconnectingNeverStopsHalfway) {
    struct Row {
        const char* name;
        bool slackDown;
        bool configured; // false: a workspace the engine holds no runtime for
        std::string logLine;
    };
    const std::vector<Row> rows = {
        {"Slack answers", false, true, ConnectText::tokenRevoked("T2")},
        {"Slack is down", true, true, ConnectText::revokeFailed("T2", "")},
        {"no runtime", false, false, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testing::FakeSlackServer down; // started and stopped: its port refuses connections
        if (row.slackDown) {
            down.start();
            slackBase = QUrl(QString::fromStdString(down.apiBaseURL()));
            down.stop();
        } else {
            slackBase = QUrl(QString::fromStdString(slackServer.apiBaseURL()));
        }
        makeConnectedEngine(row.configured ? std::vector<std::string>{"T1", "T2"} : std::vector<std::string>{"T1"});
        if (!row.configured) {
            ASSERT_FALSE(testing::settled(store.write(SecretText(std::string_view("xoxp-T2")), "T2")));
        }
        engine->beginConnect();
        callback(QStringLiteral("nimbrel://auth?state=short")); // a failed attempt, whose message disconnecting clears
        const std::size_t revokesBefore = slackServer.requestCount("/api/auth.revoke");
        const std::size_t linesBefore = lines().size();

        disconnect(SlackAccount{"Team T2", "T2", "U1", {}, std::nullopt, true});

        const std::vector<std::string> all = lines();
        const std::vector<std::string> after(all.begin() + static_cast<std::ptrdiff_t>(linesBefore), all.end());
        if (row.logLine.empty()) {
            EXPECT_EQ(after, std::vector<std::string>{}) << "no revoke, and a delete that finds nothing is silent";
        } else {
            ASSERT_EQ(after.size(), 1u);
            EXPECT_EQ(after.front().rfind(row.logLine, 0), 0u) << after.front();
        }
        EXPECT_EQ(slackServer.requestCount("/api/auth.revoke") - revokesBefore,
                  row.configured && !row.slackDown ? 1u : 0u);
        EXPECT_EQ(keyringToken("T2"), std::nullopt);
        EXPECT_EQ(keyringToken("T1"), "xoxp-T1");
        EXPECT_EQ(configuredTeams(), std::vector<std::string>{"T1"});
        EXPECT_EQ(engine->slack().runtime("T2"), nullptr);
        EXPECT_EQ(engine->connectPhase(), ConnectPhase::idle());
        engine.reset();
    }
}

TEST(AccountsSettings, TextsAndRowStates) {
    using AS = AccountsSettings;
    const SlackAccount posting{"Acme", "T1", "U1", kAllScopes, std::nullopt, true};
    const SlackAccount off{"", "T2", "U2", {"users.profile:write"}, std::nullopt, false};

    const std::vector<std::tuple<ConnectPhase, bool, std::string_view, AS::PhaseLine>> phases = {
        {ConnectPhase::idle(), false, "Connect Slack", {}},
        {ConnectPhase::idle(), true, "Add a Slack workspace\u2026", {}},
        {ConnectPhase::claiming(), true, "Finishing\u2026", {}},
        {ConnectPhase::waitingForBrowser(),
         false,
         "Connect Slack",
         {"Waiting for Slack\u2026", AS::Symbol::none, true}},
        {ConnectPhase::failed("Nope."),
         true,
         "Add a Slack workspace\u2026",
         {"Nope.", AS::Symbol::warningTriangle, false}},
        {ConnectPhase::refreshed("Acme"),
         true,
         "Add a Slack workspace\u2026",
         {"Acme was already connected \u2014 its details were refreshed.", AS::Symbol::circularArrow, false}},
    };
    for (const auto& [phase, hasAccounts, title, line] : phases) {
        SCOPED_TRACE(std::string(phase.word()));
        EXPECT_EQ(AS::connectButtonTitle(phase, hasAccounts), title);
        EXPECT_EQ(AS::phaseLine(phase), line);
    }

    // A rejection outranks the switch; a row lacking the scopes gets both warnings, profile first.
    const std::vector<std::tuple<AS::Row, std::string, AS::Symbol, std::string>> rows = {
        {AS::row(posting, std::nullopt, false), "Posting", AS::Symbol::checkMark, "posting"},
        {AS::row(off, std::nullopt, true), "Connected, not posting", AS::Symbol::pause, "connected, not posting"},
        {AS::row(off, "invalid_auth", false), "Slack rejected this connection (invalid_auth). Reconnect to carry on.",
         AS::Symbol::warningTriangle, "rejected (invalid_auth)"},
    };
    for (const auto& [row, text, symbol, plain] : rows) {
        EXPECT_EQ(std::tie(row.stateText, row.symbol, row.plainState), std::tie(text, symbol, plain));
    }
    EXPECT_EQ(std::get<0>(rows[0]).warnings, std::vector<std::string>{});
    EXPECT_EQ(std::get<0>(rows[1]).warnings,
              (std::vector<std::string>{std::string(AS::kNoProfileRead), std::string(AS::kNoEmojiRead)}));
    EXPECT_EQ(std::get<0>(rows[1]).disconnectTitle, "Disconnecting\u2026");
    EXPECT_EQ(std::get<0>(rows[1]).displayName, "U2");

    testing::CapturedLog log;
    SignInBrowser::logFallback();
    EXPECT_EQ(log.messages(),
              std::vector<std::string>{"connect: in-app session unavailable (no in-app web authentication session on "
                                       "Linux) \u2014 falling back to the default browser"});
}

TEST_F(ConnectTest, AKeyringThatRefusesTheTokenFailsTheAttemptAndRecordsNothing) {
    makeConnectedEngine({"T1"});
    const std::string configBefore = readBytes(path("config.json"));
    ASSERT_TRUE(testing::lockDefaultKeyring());

    connect(Grant{"xoxp-T8", "Eight", "T8", "U8", kAllScopes});

    // Locked (status 2), in the words of the keyring daemon.
    const std::string refusal = engine->connectPhase().detail;
    EXPECT_EQ(engine->connectPhase().kind, Kind::failed);
    EXPECT_EQ(refusal.rfind("Keyring error 2: ", 0), 0u) << refusal;
    EXPECT_EQ(lines().back(), ConnectText::claimFailed(refusal));
    EXPECT_EQ(readBytes(path("config.json")), configBefore);
    EXPECT_EQ(engine->config().slackAccounts.size(), 1u);
    EXPECT_EQ(engine->slack().runtime("T8"), nullptr);
}

} // namespace
} // namespace nimbrel
