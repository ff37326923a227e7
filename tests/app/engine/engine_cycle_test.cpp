// The engine's cycle on virtual time: triggers, coalescing, status lines, pausing, stopping, the display.

#include <string>

#include <gtest/gtest.h>

#include "app/engine/engine_text.h"
#include "tests/app/engine/engine_test_support.h"

namespace nimbrel::testing {
namespace {

using namespace std::chrono_literals;

TEST_F(EngineTest, NotificationsAreDebouncedAndRunsCoalesced) {
    makeEngine({"T1"});
    source->set(NowPlaying::playing("Kavinsky", "Nightcall"));
    startEngine();
    const int afterStart = source->reads();

    // Ten notifications within 0.3 s: one run, 0.4 s after the last.
    for (int i = 0; i < 10; ++i) {
        source->notify();
        timers->advance(30ms);
    }
    timers->advance(369ms);
    settle();
    EXPECT_EQ(source->reads(), afterStart);
    timers->advance(1ms);
    settle();
    EXPECT_EQ(source->reads(), afterStart + 1);

    // Three requests during a run give exactly one more run.
    source->hold();
    engine->requestRun();
    ASSERT_TRUE(processEventsUntil([&] { return source->reads() == afterStart + 2; }));
    engine->requestRun();
    engine->requestRun();
    engine->requestRun();
    source->release();
    settle();
    EXPECT_EQ(source->reads(), afterStart + 3);
}

TEST_F(EngineTest, PollsNoMoreOftenThanEveryThirtySeconds) {
    for (const auto& [pollSeconds, expected] :
         {std::pair{5LL, std::chrono::seconds{30}}, std::pair{120LL, std::chrono::seconds{120}},
          std::pair{10'000'000LL, std::chrono::seconds{86'400}}}) {
        SCOPED_TRACE(pollSeconds);
        timers = std::make_shared<ManualTimers>();
        makeEngine({});
        VibeConfig config = engine->config();
        config.pollSeconds = pollSeconds;
        engine->applyConfig(config, false);
        startEngine();
        EXPECT_EQ(timers->started(TimerPurpose::poll).back(), expected);
        const int reads = source->reads();
        timers->advance(expected);
        settle();
        EXPECT_EQ(source->reads(), reads + 1);
        discardEngine();
    }
}

TEST_F(EngineTest, AConfigurationChangeIsAnnouncedOnceThePlayersFollowIt) {
    makeEngine({});
    std::vector<int> madeWhenAnnounced;
    QObject::connect(engine.get(), &EngineViewModel::configChanged, [&] { madeWhenAnnounced.push_back(sourcesMade); });
    VibeConfig config = engine->config();
    config.sources = {PlayerSourceID::appleMusic};
    engine->applyConfig(config, false);
    EXPECT_EQ(madeWhenAnnounced, std::vector<int>{2}) << "listeners read the players the new sources chose";
}

TEST_F(EngineTest, StatusLinesSayWhatHappened) {
    makeEngine({"T1"});
    startEngine();
    EXPECT_EQ(statusLine(), "Not playing (not running)");

    play("Kavinsky", "Nightcall");
    EXPECT_EQ(statusLine(), "\u266A Nightcall \u2014 Kavinsky");
    EXPECT_EQ(engine->devoState(), DevoState::playing);
    EXPECT_EQ(engine->preview().statusText, "Focus \u00B7 Nightcall");
    EXPECT_EQ(engine->preview().hit, "electronic");

    // The same track again: no Slack call.
    const std::size_t calls = slack["T1"]->calls.size();
    play("Kavinsky", "Nightcall");
    EXPECT_EQ(slack["T1"]->calls.size(), calls);
    EXPECT_EQ(statusLine(), "\u266A Nightcall \u2014 Kavinsky");

    play("Nobody", "Silence");
    EXPECT_EQ(statusLine(), "\u266A Silence \u2014 Nobody (no vibe match)");
    EXPECT_EQ(engine->preview().vibeName, "");

    const std::string detail(200, 'x');
    change(NowPlaying::error(detail));
    EXPECT_EQ(statusLine(), std::string(90, 'x'));
    EXPECT_EQ(engine->devoState(), DevoState::error);

    change(NowPlaying::notRunning());
    EXPECT_EQ(statusLine(), "Not playing (not running)");
    EXPECT_TRUE(engine->nowPlayingTrack().isEmpty());
}

TEST_F(EngineTest, NotPostingSaysWhy) {
    struct Case {
        std::vector<std::string> accounts;
        std::vector<std::string> withoutToken;
        bool disable;
        std::string_view reason;
    };
    for (const Case& each :
         {Case{{}, {}, false, EngineText::kConnectSlack}, Case{{"T1"}, {"T1"}, false, EngineText::kReconnectSlack},
          Case{{"T1", "T2"}, {}, true, EngineText::kNoWorkspacePosting}}) {
        SCOPED_TRACE(each.reason);
        makeEngine(each.accounts, "restore", each.withoutToken);
        if (each.disable) {
            VibeConfig config = engine->config();
            for (SlackAccount& account : config.slackAccounts) {
                account.isEnabled = false;
            }
            engine->applyConfig(config, false);
        }
        startEngine();
        play("Kavinsky", "Nightcall");
        EXPECT_EQ(statusLine(), std::string(each.reason) + " \u2014 \u266A Nightcall");
        EXPECT_EQ(engine->devoState(), DevoState::notConnected);
        discardEngine();
    }
    EXPECT_EQ(logged("slack: no stored token for Team T1 \u2014 reconnect required"), 1U);
}

TEST_F(EngineTest, OverallResultOfSeveralWorkspaces) {
    makeEngine({"T1", "T2"});
    startEngine();
    // T2 stands by (somebody changed our status there), T1 writes: a written workspace wins.
    play("Kavinsky", "Nightcall");
    slack["T2"]->status = {.text = "Lunch", .emoji = ":hamburger:", .expiration = 0};
    timers->advance(7s);
    play("Justice", "Genesis");
    EXPECT_EQ(statusLine(), "\u266A Genesis \u2014 Justice");
    EXPECT_EQ(logged("slack: wrote 1/2 (yielded: Team T2) \u2014 \"focus|Focus \u00B7 Genesis|:zap:\""), 1U);

    // T1 deferred (2 s later), T2 still standing by: queued.
    timers->advance(2s);
    play("Kavinsky", "Odd Look");
    EXPECT_EQ(statusLine(), "\u266A Odd Look \u2014 Kavinsky (Slack update queued)");

    // Both failing: the first failure's message. (The retry writes Odd Look on the way.)
    timers->advance(7s);
    settle();
    timers->advance(7s);
    slack["T2"]->status = {};
    slack["T1"]->setFailures.push_back(ServiceError::http(500));
    slack["T2"]->setFailures.push_back(ServiceError::http(503));
    play("Kavinsky", "Roadgame");
    EXPECT_EQ(statusLine(), "Slack error: HTTP 500");
    EXPECT_EQ(engine->devoState(), DevoState::error);
}

TEST_F(EngineTest, PausingWritesNothingAndHandsTheStatusBackOnce) {
    makeEngine({"T1"});
    startEngine();
    play("Kavinsky", "Nightcall");
    timers->advance(7s);

    engine->togglePause();
    settle();
    EXPECT_EQ(statusLine(), "Paused \u2014 not updating Slack");
    EXPECT_EQ(slack["T1"]->status, SlackStatus::empty()); // nothing was up before: cleared
    const std::size_t calls = slack["T1"]->calls.size();

    play("Justice", "Genesis"); // the display follows, Slack does not
    EXPECT_EQ(engine->nowPlayingTrack().toStdString(), "Genesis");
    EXPECT_EQ(slack["T1"]->calls.size(), calls);

    timers->advance(7s);
    engine->togglePause();
    settle();
    EXPECT_EQ(statusLine(), "\u266A Genesis \u2014 Justice");
    EXPECT_EQ(slack["T1"]->status.text, "Focus \u00B7 Genesis");
}

TEST_F(EngineTest, PausingDuringARunStopsItShortOfSlack) {
    makeEngine({"T1"});
    startEngine();
    source->hold();
    source->set(NowPlaying::playing("Kavinsky", "Nightcall"));
    source->notify();
    timers->advance(EngineViewModel::kDebounce);
    ASSERT_TRUE(processEventsUntil([&] { return source->reads() == 2; }));
    engine->togglePause();
    source->release();
    settle();
    EXPECT_EQ(slack["T1"]->sets(), 0U);
    EXPECT_EQ(statusLine(), "Paused \u2014 not updating Slack");
    EXPECT_EQ(engine->nowPlayingTrack().toStdString(), "Nightcall");
}

TEST_F(EngineTest, APausedPlayerWithoutATrackKeepsTheLastTrackShown) {
    makeEngine({});
    startEngine();
    play("Kavinsky", "Nightcall");
    change(NowPlaying::notPlaying("paused", "", ""));
    EXPECT_EQ(engine->nowPlayingTrack().toStdString(), "Nightcall");
    EXPECT_FALSE(engine->isPlaying());
    EXPECT_EQ(statusLine(), "Not playing (paused)");
}

TEST_F(EngineTest, StoppingWhileAWriteHangsEndsWithinFiveSeconds) {
    makeEngine({"T1"});
    startEngine();
    slack["T1"]->hangSets = true;
    source->set(NowPlaying::playing("Kavinsky", "Nightcall"));
    source->notify();
    timers->advance(EngineViewModel::kDebounce);
    ASSERT_TRUE(processEventsUntil([&] { return slack["T1"]->sets() == 1; }));

    auto stopping = engine->stop();
    processEventsUntil([] { return false; }, 50ms);
    EXPECT_FALSE(stopping.isReady());
    timers->advance(EngineViewModel::kStopLimit);
    ASSERT_TRUE(processEventsUntil([&] { return stopping.isReady(); }));
    EXPECT_EQ(logged(EngineText::kEngineStopped), 1U);
    EXPECT_TRUE(engine->hasWorkInFlight()); // the hung write is still out there
}

TEST_F(EngineTest, TheCatDancesOnlyWhilePlayingAnimatedAndAwake) {
    makeEngine({"T1"});
    startEngine();
    EXPECT_EQ(timers->pending(TimerPurpose::animationFrame), 0U);
    play("Kavinsky", "Nightcall");
    EXPECT_EQ(timers->pending(TimerPurpose::animationFrame), 1U);
    const qint64 tick = engine->devoTick();
    timers->advance(EngineViewModel::kFrameInterval * 3);
    EXPECT_EQ(engine->devoTick(), tick + 3);

    VibeConfig config = engine->config();
    config.animateMenuBar = false;
    engine->applyConfig(config, false);
    EXPECT_EQ(timers->pending(TimerPurpose::animationFrame), 0U);
    config.animateMenuBar = true;
    engine->applyConfig(config, false);
    EXPECT_EQ(timers->pending(TimerPurpose::animationFrame), 1U);

    screensAsleep(true);
    EXPECT_EQ(timers->pending(TimerPurpose::animationFrame), 0U);
    screensAsleep(false);
    EXPECT_EQ(timers->pending(TimerPurpose::animationFrame), 1U);

    stopEngine();
    EXPECT_EQ(timers->pending(TimerPurpose::animationFrame), 0U);
}

TEST_F(EngineTest, ReloadingAnUnusableConfigKeepsTheOneInForce) {
    makeEngine({"T1"});
    startEngine();
    const VibeConfig before = engine->config();
    writeFile("config.json", R"({"vibes": [{"name": 3}]})");
    const std::optional<std::string> problem = engine->reloadConfig();
    ASSERT_TRUE(problem);
    EXPECT_EQ(engine->config(), before);
    EXPECT_EQ(statusLine(), "Config not reloaded \u2014 " + *problem);

    std::filesystem::remove(path("config.json"));
    EXPECT_EQ(engine->reloadConfig(), std::string(EngineText::kConfigMissing));
    EXPECT_FALSE(std::filesystem::exists(path("config.json"))); // not replaced by the built-in one

    std::filesystem::remove(path("state.json")); // deleted under the running program: the next save restores it
    play("Kavinsky", "Nightcall");
    EXPECT_TRUE(std::filesystem::exists(path("state.json")));
}

TEST(EngineTextTest, SummaryLine) {
    using Results = std::vector<std::pair<std::string, SlackWriteResult>>;
    EXPECT_EQ(EngineText::summary(Results{{"A", SlackWriteResult::wrote()}}, "k"), "slack: wrote 1/1 \u2014 \"k\"");
    EXPECT_EQ(EngineText::summary(Results{{"A", SlackWriteResult::deferred()},
                                          {"B", SlackWriteResult::wrote()},
                                          {"C", SlackWriteResult::failed("HTTP 500")},
                                          {"D", SlackWriteResult::yielded()}},
                                  "k"),
              "slack: wrote 1/4 (deferred: A; failed: C \u2014 HTTP 500; yielded: D) \u2014 \"k\"");
    EXPECT_EQ(EngineText::readResult(NowPlaying::notPlaying("paused", "A", "T")),
              "runOnce: read result = notPlaying(state: \"paused\", artist: \"A\", track: \"T\")");
}

} // namespace
} // namespace nimbrel::testing
