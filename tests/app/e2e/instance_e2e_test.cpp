// The running instance as its users meet it: the real `nimbrel --headless` on this test's private session bus,
// the commands run as separate processes, a second copy of the program, and a sign-in finished the way a
// browser finishes it (by running `nimbrel 'nimbrel://auth?…'`), against the fake sign-in service, the fake
// Slack and the real keyring.
#include <QDBusConnection>
#include <QDBusMessage>
#include <chrono>
#include <csignal>
#include <memory>

#include <gtest/gtest.h>
#include <httplib.h>

#include "app/control/control_client.h"
#include "app/control/control_protocol.h"
#include "app/control/running_instance.h"
#include "core/slack/slack_auth_error.h"
#include "tests/support/fake_itunes/fake_itunes_server.h"
#include "tests/support/fake_signin/fake_signin_server.h"
#include "tests/support/fake_slack/fake_slack_server.h"
#include "tests/support/headless_program.h"
#include "tests/support/temporary_folder.h"

namespace nimbrel::testing {
namespace {

using namespace std::chrono_literals;

const TestWorkspace kOne{"T1", "One", "U1", "xoxp-one"};
const FakeSignInServer::Grant kNine{"xoxp-nine", "Nine", "T9", "U9", {"users.profile:read", "users.profile:write"}};

// The token as a user finds it in the keyring (secret-tool prints it without a line break).
std::string lookUpToken(const std::string& teamID) {
    ChildProcess lookup(
        {"/bin/sh", "-c", "secret-tool lookup service com.quillmoor.nimbrel account \"$0\"; echo", teamID});
    return lookup.readLine(10s).value_or("(no answer)");
}

struct CommandResult {
    int status = -1;
    std::string output;
};

class InstanceEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        m_slack.addToken(kOne.token, kOne.teamID, kOne.userID);
        m_slack.addToken(kNine.token, kNine.teamID, kNine.userID);
        ASSERT_GT(m_slack.start(), 0);
        ASSERT_GT(m_iTunes.start(), 0);
        m_signIn.setAutomaticGrant(kNine);
        ASSERT_GT(m_signIn.start(), 0);
        ASSERT_TRUE(storeTokens({kOne}));
        std::ofstream(m_home / "config.json") << configWithWorkspaces({kOne});
    }

    std::map<std::string, std::string> environment() const {
        return {{"NIMBREL_HOME", m_home.path().string()},
                {"NimbrelSlackBaseURL", m_slack.apiBaseURL()},
                {"NimbrelITunesBaseURL", m_iTunes.baseURL()},
                {"NimbrelAPIBaseURL", m_signIn.baseURL()},
                {"NimbrelDebugLogging", "1"}};
    }

    // Started and answering on the bus.
    std::unique_ptr<ChildProcess> startInstance() {
        auto program =
            std::make_unique<ChildProcess>(std::vector<std::string>{NIMBREL_EXECUTABLE, "--headless"}, environment());
        EXPECT_TRUE(waitUntil([&] { return status().status == 0; }, 20s));
        return program;
    }

    // A command run to its end, its errors in its output.
    CommandResult run(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), NIMBREL_EXECUTABLE);
        ChildProcess command(arguments, environment(), true);
        CommandResult result;
        while (const std::optional<std::string> line = command.readLine(30s)) {
            result.output += *line + "\n";
        }
        const std::optional<int> status = command.waitForExit(30s);
        result.status = status && WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
        return result;
    }
    CommandResult status() const { return run({"status"}); }

    std::string log() const { return readWholeFile(m_home / "app.log"); }

    // A call to the instance as any program on the bus can make it.
    QDBusMessage call(const QString& method, const QVariantList& arguments = {}) const {
        return ControlClient(QDBusConnection::sessionBus()).call(method, arguments);
    }
    QString phase() const { return call(QStringLiteral("GetConnectPhase")).arguments().value(0).toString(); }

    // What the browser does with the start link: the sign-in service answers with a redirect to our scheme.
    std::string followStartLink(const std::string& link) const {
        const std::string base = m_signIn.baseURL();
        httplib::Client client(base.substr(0, base.find('/', std::string("http://").size())));
        const httplib::Result answer = client.Get(link.substr(link.find("/slack/start")));
        return answer ? answer->get_header_value("Location") : std::string();
    }

    TemporaryFolder m_home;
    FakeSlackServer m_slack;
    FakeITunesServer m_iTunes;
    FakeSignInServer m_signIn;
};

TEST_F(InstanceEndToEnd, ASecondCopyStepsAsideAndTheCommandsDriveTheFirst) {
    const auto first = startInstance();

    const CommandResult second = run({"--headless"});
    EXPECT_EQ(second.status, 0);
    EXPECT_NE(log().find(RunningInstance::anotherRunningLine(static_cast<std::uint32_t>(first->pid()))),
              std::string::npos);
    EXPECT_NE(log().find("asked to come to the front"), std::string::npos);

    const CommandResult shown = status();
    EXPECT_NE(shown.output.find("Devo: "), std::string::npos) << shown.output;
    EXPECT_NE(shown.output.find("  One (T1): posting\n"), std::string::npos) << shown.output;

    EXPECT_EQ(run({"pause"}).output, "Paused \u2014 Slack updates are off until you resume.\n");
    EXPECT_EQ(run({"pause"}).output, "Already paused.\n");
    EXPECT_NE(status().output.find("(updates paused)"), std::string::npos);
    EXPECT_EQ(run({"resume"}).output, "Resumed.\n");
    EXPECT_EQ(run({"update-now"}).status, 0);

    const CommandResult quit = run({"quit"});
    EXPECT_EQ(quit.output, "Nimbrel has quit.\n");
    const std::optional<int> exited = first->waitForExit(7s);
    ASSERT_TRUE(exited);
    EXPECT_TRUE(WIFEXITED(*exited) && WEXITSTATUS(*exited) == 0);
    EXPECT_NE(log().find("engine stopped"), std::string::npos);

    for (const char* command : {"status", "pause", "resume", "update-now", "quit", "connect"}) {
        SCOPED_TRACE(command);
        const CommandResult alone = run({command});
        EXPECT_EQ(alone.status, 1);
        EXPECT_EQ(alone.output, std::string(ControlClient::kNotRunning) + "\n");
    }
}

TEST_F(InstanceEndToEnd, ConnectsWithTheCallbackABrowserHandsToASecondProcess) {
    const auto instance = startInstance();

    ChildProcess connect({NIMBREL_EXECUTABLE, "connect", "--no-browser"}, environment(), true);
    ASSERT_TRUE(connect.readLine(20s));
    const std::optional<std::string> linkLine = connect.readLine(20s);
    ASSERT_TRUE(linkLine && linkLine->starts_with("  http"));
    const std::string callback = followStartLink(linkLine->substr(2));
    ASSERT_TRUE(callback.starts_with("nimbrel://auth?state=")) << callback;
    EXPECT_NE(log().find("connect: in-app session unavailable"), std::string::npos) << log();

    EXPECT_EQ(run({callback}).status, 0);
    std::string progress;
    while (const std::optional<std::string> line = connect.readLine(20s)) {
        progress += *line + "\n";
    }
    EXPECT_NE(progress.find("Connected to Nine.\n"), std::string::npos) << progress;
    const std::optional<int> connected = connect.waitForExit(5s);
    EXPECT_TRUE(connected && WEXITSTATUS(*connected) == 0);

    // The token is where a user finds it, the account in config.json, and the next track reaches the workspace.
    EXPECT_EQ(lookUpToken(kNine.teamID), kNine.token);
    EXPECT_NE(readWholeFile(m_home / "config.json").find("\"T9\""), std::string::npos);
    FakePlayerProcess player(NIMBREL_FAKE_PLAYER, "spotify");
    ASSERT_TRUE(player.ready());
    ASSERT_TRUE(player.play("Kavinsky", "Nightcall"));
    EXPECT_TRUE(waitUntil([&] { return !slackCalls(m_slack, kNine.token, "users.profile.set").empty(); }, 20s));

    // A browser that delivers the same callback twice: the second finds no attempt in flight.
    EXPECT_EQ(run({callback}).status, 0);
    EXPECT_TRUE(waitUntil(
        [&] { return log().find("connect: ignoring a callback with no connect in flight") != std::string::npos; },
        10s));

    EXPECT_EQ(run({"disconnect", "nine"}).output, "Disconnected Nine.\n");
    EXPECT_EQ(slackCalls(m_slack, kNine.token, "auth.revoke").size(), 1U);
    EXPECT_EQ(readWholeFile(m_home / "config.json").find("\"T9\""), std::string::npos);
    EXPECT_EQ(lookUpToken(kNine.teamID), "");
    EXPECT_EQ(run({"disconnect", "Ten"}).output, "nimbrel: No connected workspace is called \u201CTen\u201D.\n");
}

TEST_F(InstanceEndToEnd, AddressesThatAreNoSignInCallbackAreRefusedAndLeaveTheAttemptAlone) {
    const auto instance = startInstance();
    const std::string configBefore = readWholeFile(m_home / "config.json");
    ASSERT_EQ(call(QStringLiteral("BeginConnect")).type(), QDBusMessage::ReplyMessage);
    ASSERT_EQ(phase(), u"waiting-for-browser");

    const QString refused[] = {
        QStringLiteral("https://example.com/auth?state=x"),
        QStringLiteral("nimbrel://other?state=x"),
        QStringLiteral("nimbrel://auth?state=") + QString(10'000, u'A'),
        QStringLiteral("not an address at all"),
    };
    for (const QString& address : refused) {
        SCOPED_TRACE(address.left(40).toStdString());
        const QDBusMessage reply = call(QStringLiteral("OpenAddress"), {address});
        EXPECT_EQ(reply.errorName(), QString::fromLatin1(ControlProtocol::kErrorNotAnAuthAddress));
        EXPECT_EQ(reply.errorMessage().toStdString(), SlackAuthError::malformedCallback().description());
        EXPECT_EQ(phase(), u"waiting-for-browser");
    }
    // The same through a second process, as a confused browser would run it.
    const CommandResult wrongHost = run({"nimbrel://elsewhere?state=x"});
    EXPECT_EQ(wrongHost.status, 1);
    EXPECT_EQ(wrongHost.output, "nimbrel: " + SlackAuthError::malformedCallback().description() + "\n");
    EXPECT_EQ(phase(), u"waiting-for-browser");

    // Our own address with junk in it ends the attempt as a failed one; nothing is stored.
    EXPECT_EQ(run({"nimbrel://auth?junk"}).status, 0);
    EXPECT_TRUE(waitUntil([&] { return phase() == u"failed"; }, 10s));
    EXPECT_EQ(readWholeFile(m_home / "config.json"), configBefore);
    EXPECT_EQ(m_signIn.requestCount(), 0U);
}

// The way a desktop delivers the callback: the installed .desktop file claims the nimbrel scheme, and
// xdg-open runs the installed program with the address, which hands it to the running instance.
TEST_F(InstanceEndToEnd, XdgOpenOfACallbackReachesTheRunningInstanceThroughTheInstalledDesktopFile) {
    const TemporaryFolder prefix;
    ChildProcess install(
        {NIMBREL_CMAKE, "--install", NIMBREL_BUILD_DIR, "--component", "nimbrel", "--prefix", prefix.path().string()},
        {});
    const std::optional<int> installed = install.waitForExit(120s);
    ASSERT_TRUE(installed && WEXITSTATUS(*installed) == 0);
    const std::map<std::string, std::string> desktop = {
        {"PATH", (prefix / "bin").string() + ":" + std::getenv("PATH")},
        {"XDG_DATA_DIRS", (prefix / "share").string() + ":/usr/share"},
        // xdg-open hands addresses to scheme handlers only on a graphical session; nothing connects to it.
        {"DISPLAY", ":99"}};
    ChildProcess makeDefault({"xdg-mime", "default", "com.quillmoor.nimbrel.desktop", "x-scheme-handler/nimbrel"},
                             desktop);
    ASSERT_EQ(makeDefault.waitForExit(30s), std::optional<int>(0));

    const auto instance = startInstance();
    const QDBusMessage begun = call(QStringLiteral("BeginConnect"));
    ASSERT_EQ(begun.type(), QDBusMessage::ReplyMessage);
    const std::string callback = followStartLink(begun.arguments().value(0).toString().toStdString());

    std::map<std::string, std::string> opener = environment();
    opener.insert(desktop.begin(), desktop.end());
    ChildProcess open({"xdg-open", callback}, opener);
    EXPECT_TRUE(open.waitForExit(30s));
    EXPECT_TRUE(waitUntil([&] { return status().output.find("  Nine (T9): posting\n") != std::string::npos; }, 20s))
        << log();
}

} // namespace
} // namespace nimbrel::testing
