// The real `nimbrel --headless` process against real parts: the fake player program on this test's private
// session bus, the fake Slack and iTunes over loopback HTTP, and two workspaces whose tokens sit in the real
// keyring. Each case waits on what can be seen from outside (the fake's requests, app.log), never on the clock,
// and is ordered so that the 6-second pacing of profile writes is sat through at most once.
#include <chrono>
#include <ctime>
#include <memory>

#include <gtest/gtest.h>

#include "app/engine/engine_text.h"
#include "core/config/vibe_config.h"
#include "core/matching/vibe_engine.h"
#include "core/rendering/status_text.h"
#include "tests/support/fake_itunes/fake_itunes_server.h"
#include "tests/support/fake_slack/fake_slack_server.h"
#include "tests/support/headless_program.h"
#include "tests/support/temporary_folder.h"

namespace nimbrel::testing {
namespace {

using namespace std::chrono_literals;

const TestWorkspace kOne{"T1", "One", "U1", "xoxp-one"};
const TestWorkspace kTwo{"T2", "Two", "U2", "xoxp-two"};
const std::string kArtist = "Kavinsky";
constexpr std::string_view kGenre = "Electronic";

struct SentStatus {
    std::string text;
    std::string emoji;
    std::int64_t expiration = 0;
};

SentStatus sentStatus(const RecordedRequest& set) {
    const nlohmann::json profile = nlohmann::json::parse(set.body).at("profile");
    return {profile.value("status_text", ""), profile.value("status_emoji", ""),
            profile.value("status_expiration", std::int64_t{0})};
}

// A status the user set by hand before the program started, one day from expiring.
const std::int64_t kLunchExpiration = static_cast<std::int64_t>(std::time(nullptr)) + 86'400;

class HeadlessEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        startSlack(0);
        m_slack->setStatusByHand(kOne.token, "Lunch", ":hamburger:", kLunchExpiration);
        m_iTunes.addArtist(kArtist, std::string(kGenre));
        ASSERT_GT(m_iTunes.start(), 0);
        ASSERT_TRUE(storeTokens({kOne, kTwo}));
        m_config = configWithWorkspaces({kOne, kTwo});
        std::ofstream(m_home / "config.json") << m_config;
        m_player = std::make_unique<FakePlayerProcess>(NIMBREL_FAKE_PLAYER, "spotify");
        ASSERT_TRUE(m_player->ready());
    }

    void startSlack(int port) {
        m_slack = std::make_unique<FakeSlackServer>();
        m_slack->addToken(kOne.token, kOne.teamID, kOne.userID);
        m_slack->addToken(kTwo.token, kTwo.teamID, kTwo.userID);
        ASSERT_GT(m_slack->start(port), 0);
    }

    // Started, and past its first reading of the players: from then on it hears the player's changes.
    std::unique_ptr<HeadlessProgram> startProgram() {
        constexpr std::string_view kReadResult = "runOnce: read result = ";
        const std::size_t earlier = occurrences(readWholeFile(m_home / "app.log"), kReadResult);
        auto program = std::make_unique<HeadlessProgram>(NIMBREL_EXECUTABLE, m_home.path(), m_slack->apiBaseURL(),
                                                         m_iTunes.baseURL());
        EXPECT_GT(program->pid(), 0);
        EXPECT_TRUE(program->waitForLog(kReadResult, earlier + 1));
        return program;
    }

    // What the shipped configuration makes of a track by the test's artist.
    SentStatus expected(std::string_view track) const {
        const VibeConfig config = VibeConfig::decode(m_config);
        const auto resolution = VibeEngine::resolve(config, std::vector<std::string>{std::string(kGenre)}, kArtist);
        EXPECT_TRUE(resolution.has_value());
        return {StatusText::render(config, resolution->vibe, kArtist, track), resolution->vibe.statusEmoji, 0};
    }

    std::size_t sets(const TestWorkspace& workspace) const {
        return slackCalls(*m_slack, workspace.token, "users.profile.set").size();
    }
    std::size_t gets(const TestWorkspace& workspace) const {
        return slackCalls(*m_slack, workspace.token, "users.profile.get").size();
    }
    SentStatus lastSet(const TestWorkspace& workspace) const {
        return sentStatus(slackCalls(*m_slack, workspace.token, "users.profile.set").back());
    }
    // SIGTERM, as a session ends the program; true if it exited cleanly with status 0.
    static bool terminate(HeadlessProgram& program) {
        program.process().signal(SIGTERM);
        const auto status = program.process().waitForExit(15s);
        return status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
    }

    TemporaryFolder m_home;
    std::unique_ptr<FakeSlackServer> m_slack;
    FakeITunesServer m_iTunes;
    std::string m_config;
    std::unique_ptr<FakePlayerProcess> m_player;
};

TEST_F(HeadlessEndToEnd, WritesOnceToEachWorkspaceLeavesTheSameTrackAloneAndRestoresWhenTheMusicStops) {
    const auto program = startProgram();

    ASSERT_TRUE(m_player->play(kArtist, "Nightcall"));
    ASSERT_TRUE(program->waitForLog("slack: wrote 2/2"));
    const SentStatus nightcall = expected("Nightcall");
    for (const TestWorkspace& workspace : {kOne, kTwo}) {
        SCOPED_TRACE(workspace.teamID);
        const auto calls = slackCalls(*m_slack, workspace.token);
        ASSERT_EQ(calls.size(), 2U);
        EXPECT_EQ(calls[0].path, "/api/users.profile.get");
        EXPECT_EQ(calls[1].path, "/api/users.profile.set");
        EXPECT_EQ(sentStatus(calls[1]).text, nightcall.text);
        EXPECT_EQ(sentStatus(calls[1]).emoji, nightcall.emoji);
    }
    EXPECT_EQ(program->logCount(EngineText::snapshotted(kOne.teamID)), 1U);

    // `nimbrel doctor` beside the running program sees the saved status: it reads nothing half-written.
    ChildProcess doctor({NIMBREL_EXECUTABLE, "doctor"}, {{"NIMBREL_HOME", m_home.path().string()}});
    std::string report;
    for (auto line = doctor.readLine(20s); line; line = doctor.readLine(20s)) {
        report += *line + "\n";
    }
    const std::optional<int> doctorStatus = doctor.waitForExit(20s);
    ASSERT_TRUE(doctorStatus);
    EXPECT_EQ(WEXITSTATUS(*doctorStatus), 0);
    EXPECT_NE(report.find("Saved status: \u201CLunch\u201D"), std::string::npos) << report;

    // The player announces the same track again: the run finds it written everywhere and calls nobody.
    const std::size_t before = m_slack->requestCount();
    const std::size_t reads = program->logCount(EngineText::kReading);
    ASSERT_TRUE(m_player->play(kArtist, "Nightcall"));
    ASSERT_TRUE(program->waitForLog(EngineText::kReading, reads + 1));

    // The music stops within the pacing window: the hand-back waits for the next slot, looks at what is up,
    // then puts the lunch status back with its expiry and clears the workspace that had none. Runs never
    // overlap, so anything the same-track run had sent would sit among these.
    ASSERT_TRUE(m_player->stop());
    ASSERT_TRUE(program->waitForLog(EngineText::restored(kOne.teamID), 1, 20s));
    ASSERT_TRUE(waitUntil([&] { return sets(kTwo) == 2; }, 10s));
    const auto all = m_slack->requests();
    const std::vector<RecordedRequest> after(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    ASSERT_EQ(after.size(), 4U);
    for (std::size_t index = 0; index < after.size(); ++index) {
        EXPECT_EQ(after[index].header("Authorization"), "Bearer " + (index < 2 ? kOne : kTwo).token);
        EXPECT_EQ(after[index].path, index % 2 == 0 ? "/api/users.profile.get" : "/api/users.profile.set");
    }
    const auto lunch = m_slack->profile(kOne.token);
    EXPECT_EQ(lunch->statusText, "Lunch");
    EXPECT_EQ(lunch->statusEmoji, ":hamburger:");
    EXPECT_EQ(lunch->statusExpiration, kLunchExpiration);
    EXPECT_EQ(lastSet(kOne).expiration, kLunchExpiration);
    EXPECT_EQ(m_slack->profile(kTwo.token)->statusText, "");
    EXPECT_EQ(sets(kOne), 2U);
    EXPECT_EQ(sets(kTwo), 2U);
}

TEST_F(HeadlessEndToEnd, StandsByWhileTheStatusIsSomeoneElsesAndResumesOnceItIsCleared) {
    const auto program = startProgram();
    ASSERT_TRUE(m_player->play(kArtist, "Nightcall"));
    ASSERT_TRUE(program->waitForLog("slack: wrote 2/2"));

    m_slack->setStatusByHand(kOne.token, "In a meeting", ":calendar:");
    // Too soon after the first writes: both wait for their next slot, then One yields and Two writes.
    ASSERT_TRUE(m_player->changeTrack(kArtist, "Odd Look"));
    ASSERT_TRUE(program->waitForLog(EngineText::yielding(kOne.teamID), 1, 20s));
    ASSERT_TRUE(program->waitForLog("(yielded: One)"));
    EXPECT_EQ(lastSet(kTwo).text, expected("Odd Look").text);

    // Another run while the meeting status stays: One is read again and left alone, quietly.
    const std::size_t oneReads = gets(kOne);
    ASSERT_TRUE(m_player->play(kArtist, "Odd Look"));
    ASSERT_TRUE(waitUntil([&] { return gets(kOne) > oneReads; }, 10s));
    EXPECT_EQ(sets(kOne), 1U);
    EXPECT_EQ(m_slack->profile(kOne.token)->statusText, "In a meeting");

    // Cleared by hand: the next track goes through in One again.
    m_slack->setStatusByHand(kOne.token, "", "");
    ASSERT_TRUE(m_player->changeTrack(kArtist, "Protovision"));
    ASSERT_TRUE(program->waitForLog(EngineText::resuming(kOne.teamID)));
    ASSERT_TRUE(waitUntil([&] { return sets(kOne) == 2; }, 10s));
    EXPECT_EQ(lastSet(kOne).text, expected("Protovision").text);
    EXPECT_EQ(program->logCount(EngineText::yielding(kOne.teamID)), 1U);
}

TEST_F(HeadlessEndToEnd, SigtermWhileAWriteHangsEndsTheProgramWithinTheStopLimit) {
    m_slack->script("", ScriptedResponse::hang());
    const auto program = startProgram();
    ASSERT_TRUE(m_player->play(kArtist, "Nightcall"));
    ASSERT_TRUE(m_slack->waitForRequests(1, 20s));

    const auto signalled = std::chrono::steady_clock::now();
    ASSERT_TRUE(terminate(*program));
    const auto took = std::chrono::steady_clock::now() - signalled;
    // The program allows itself 5 s; the rest is room for a loaded machine and a sanitizer build to exit.
    EXPECT_LT(took, 7s);
    EXPECT_EQ(program->logCount(EngineText::kEngineStopped), 1U);
}

TEST_F(HeadlessEndToEnd, SlackRefusingConnectionsLosesNothingAndTheNextRunWrites) {
    auto program = startProgram();
    ASSERT_TRUE(m_player->play(kArtist, "Nightcall"));
    ASSERT_TRUE(program->waitForLog("slack: wrote 2/2"));
    const nlohmann::json stateBefore = nlohmann::json::parse(readWholeFile(m_home / "state.json"));

    // Slack goes away; the program is stopped and cannot hand the statuses back.
    const int port = m_slack->port();
    m_slack.reset();
    ASSERT_TRUE(terminate(*program));
    EXPECT_EQ(program->logCount("finish: restore failed for T1 \u2014 "), 1U);
    EXPECT_EQ(nlohmann::json::parse(readWholeFile(m_home / "state.json")), stateBefore);

    // Slack is back on the same port, still showing the statuses the program set; the next run writes the
    // new track over them and the stop hands the lunch status back.
    startSlack(port);
    const SentStatus nightcall = expected("Nightcall");
    m_slack->setStatusByHand(kOne.token, nightcall.text, nightcall.emoji);
    m_slack->setStatusByHand(kTwo.token, nightcall.text, nightcall.emoji);
    ASSERT_TRUE(m_player->changeTrack(kArtist, "Odd Look"));
    program = startProgram();
    ASSERT_TRUE(program->waitForLog("slack: wrote 2/2", 2));
    EXPECT_EQ(lastSet(kOne).text, expected("Odd Look").text);
    EXPECT_EQ(lastSet(kTwo).text, expected("Odd Look").text);

    ASSERT_TRUE(terminate(*program));
    const auto lunch = m_slack->profile(kOne.token);
    EXPECT_EQ(lunch->statusText, "Lunch");
    EXPECT_EQ(lunch->statusExpiration, kLunchExpiration);
    EXPECT_EQ(m_slack->profile(kTwo.token)->statusText, "");
}

TEST(HeadlessProgramTest, RefusesToRunWithoutASessionBus) {
    const TemporaryFolder home;
    ChildProcess program({NIMBREL_EXECUTABLE, "--headless"}, {{"NIMBREL_HOME", home.path().string()},
                                                              {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent"}});
    const std::optional<int> status = program.waitForExit(std::chrono::seconds{20});
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1);
    EXPECT_FALSE(std::filesystem::exists(home.path() / "state.json"));
}

} // namespace
} // namespace nimbrel::testing
