// How a status reaches a workspace and is handed back, driven through the engine on virtual time.

#include <string>

#include <gtest/gtest.h>

#include "app/engine/engine_text.h"
#include "tests/app/engine/engine_test_support.h"

namespace nimbrel::testing {
namespace {

using namespace std::chrono_literals;

const SlackStatus kLunch{.text = "Lunch", .emoji = ":hamburger:", .expiration = 1'999'999'999};

TEST_F(EngineTest, TwoTracksTwoSecondsApartAreWrittenFiveSecondsLater) {
    makeEngine({"T1"});
    startEngine();
    play("Kavinsky", "Nightcall");
    timers->advance(2s);
    play("Kavinsky", "Odd Look");
    EXPECT_EQ(slack["T1"]->sets(), 1U);
    EXPECT_EQ(statusLine(), "\u266A Odd Look \u2014 Kavinsky (Slack update queued)");
    EXPECT_EQ(logged("slack: profile write deferred for T1, too soon after the last (min 6s) \u2014 next slot in 4s"),
              1U);
    EXPECT_EQ(timers->started(TimerPurpose::deferredRetry).back(), 5s); // ceiling of 4 s, plus 1

    timers->advance(5s);
    settle();
    EXPECT_EQ(slack["T1"]->sets(), 2U);
    EXPECT_EQ(slack["T1"]->status.text, "Focus \u00B7 Odd Look");
    EXPECT_EQ(statusLine(), "\u266A Odd Look \u2014 Kavinsky");
    EXPECT_EQ(logged("deferred for T1"), 1U); // once per exhaustion
}

TEST_F(EngineTest, ASlotThatFreesWhileTheRunGoesOnIsRetriedASecondLater) {
    makeEngine({"T1", "T2"});
    startEngine();
    play("Kavinsky", "Nightcall");
    timers->advance(7s);
    slack["T2"]->status = kLunch;
    play("Justice", "Genesis"); // T1 written, T2 stands by (no slot taken)
    timers->advance(2s);
    slack["T2"]->hangGets = true;
    source->set(NowPlaying::playing("Kavinsky", "Odd Look"));
    source->notify();
    timers->advance(EngineViewModel::kDebounce);
    // T1 is deferred; T2's read hangs until T1's slot has long freed.
    ASSERT_TRUE(processEventsUntil([&] { return slack["T2"]->calls.size() == 4; }));
    timers->advance(7s);
    slack["T2"]->hangGets = false;
    slack["T2"]->releaseHung();
    settle();
    ASSERT_EQ(timers->pending(TimerPurpose::deferredRetry), 1U);
    EXPECT_EQ(timers->started(TimerPurpose::deferredRetry).back(), 1s);
    timers->advance(1s);
    settle();
    EXPECT_EQ(slack["T1"]->status.text, "Focus \u00B7 Odd Look");
}

TEST_F(EngineTest, OwnershipDecidesEachWrite) {
    makeEngine({"T1"});
    FakeWorkspace& t1 = *slack["T1"];
    t1.status = kLunch;
    startEngine();

    // Somebody else's status first: snapshotted, then written.
    play("Kavinsky", "Nightcall");
    EXPECT_EQ(logged(EngineText::snapshotted("T1")), 1U);
    EXPECT_EQ(record("T1").savedText, "Lunch");

    // Slack echoing our own status in its other spelling: a plain write, no line.
    timers->advance(7s);
    t1.status = {.text = " Focus \u00B7 Nightcall ", .emoji = ":ZAP:", .expiration = 0};
    play("Kavinsky", "Odd Look");
    EXPECT_EQ(t1.status.text, "Focus \u00B7 Odd Look");
    EXPECT_EQ(logged("write: "), 1U);

    // Changed by hand: stand by, write nothing, and keep quiet on later runs.
    timers->advance(7s);
    t1.status = {.text = "In a meeting", .emoji = ":calendar:", .expiration = 0};
    play("Justice", "Genesis");
    EXPECT_EQ(statusLine(), "Standing by \u2014 your status was set elsewhere");
    EXPECT_EQ(engine->devoState(), DevoState::paused);
    timers->advance(7s);
    t1.status.expiration = 42; // the snapshot follows what is up
    play("Kavinsky", "Roadgame");
    EXPECT_EQ(t1.status.text, "In a meeting");
    EXPECT_EQ(logged(EngineText::yielding("T1")), 1U);
    EXPECT_EQ(record("T1").savedExpiration, 42);

    // Cleared: resume and write.
    timers->advance(7s);
    t1.status = {};
    play("Kavinsky", "Nightcall");
    EXPECT_EQ(logged(EngineText::resuming("T1")), 1U);
    EXPECT_EQ(t1.status.text, "Focus \u00B7 Nightcall");

    // Released (posting off, then on), with one of our own recent statuses up: taken over, not saved.
    engine->setPosting("T1", false);
    settle();
    t1.status = {.text = "Focus \u00B7 Odd Look", .emoji = ":zap:", .expiration = 0};
    timers->advance(7s);
    engine->setPosting("T1", true);
    settle();
    EXPECT_EQ(logged(EngineText::takingOver("T1")), 1U);
    EXPECT_FALSE(record("T1").savedText);
    EXPECT_EQ(t1.status.text, "Focus \u00B7 Nightcall");
}

TEST_F(EngineTest, AStatusSetByHandWhileTheSameTrackPlaysSurvivesTheStop) {
    makeEngine({"T1"}, "clear");
    startEngine();
    play("Kavinsky", "Nightcall");
    slack["T1"]->status = kLunch; // no run reads it: the track did not change
    timers->advance(7s);
    change(NowPlaying::notPlaying("paused", "Kavinsky", "Nightcall"));
    EXPECT_EQ(slack["T1"]->status, kLunch);
}

TEST_F(EngineTest, FailedReads) {
    struct Case {
        const char* name;
        ServiceError error;
        std::string_view line;
    };
    for (const Case& each : {Case{"network", networkDown(), "write: could not read current status for T1"},
                             Case{"missing scope", ServiceError::slack("missing_scope"),
                                  "write: could not read current status for T1 (missing_scope)"}}) {
        SCOPED_TRACE(each.name);
        makeEngine({"T1"});
        FakeWorkspace& t1 = *slack["T1"];
        t1.status = kLunch;
        t1.getFailures.assign(3, each.error);
        startEngine();
        // Written unchecked, nothing snapshotted; with restore the status is cleared when the music stops.
        play("Kavinsky", "Nightcall");
        EXPECT_EQ(t1.status.text, "Focus \u00B7 Nightcall");
        EXPECT_EQ(logged(each.line), 1U);
        EXPECT_FALSE(record("T1").savedText);
        timers->advance(7s);
        change(NowPlaying::notRunning());
        EXPECT_EQ(t1.status, SlackStatus::empty());
        discardEngine();
    }
}

TEST_F(EngineTest, ARejectedTokenIsRetriedByUpdateNow) {
    makeEngine({"T1"});
    startEngine();
    slack["T1"]->setFailures.push_back(ServiceError::slack("invalid_auth"));
    play("Kavinsky", "Nightcall");
    EXPECT_EQ(statusLine(), "Slack error: invalid_auth");
    ASSERT_NE(engine->slack().runtime("T1"), nullptr);
    EXPECT_EQ(engine->slack().runtime("T1")->needsReauth, "invalid_auth");
    timers->advance(7s);
    play("Justice", "Genesis");
    EXPECT_EQ(statusLine(), "Reconnect Slack \u2014 \u266A Genesis");
    EXPECT_EQ(logged(EngineText::tokenRejected("T1", "invalid_auth")), 1U);

    engine->updateNow();
    settle();
    EXPECT_EQ(logged("updateNow: retrying 1 connection(s) previously rejected by Slack"), 1U);
    EXPECT_EQ(slack["T1"]->status.text, "Focus \u00B7 Genesis");
    EXPECT_FALSE(engine->slack().runtime("T1")->isRejected());
}

TEST_F(EngineTest, TurningPostingOffHandsTheStatusBackAtOnce) {
    for (const auto& [whenMusicStops, expected] :
         {std::pair{"restore", kLunch}, std::pair{"clear", SlackStatus::empty()},
          std::pair{"leave", SlackStatus{.text = "Focus \u00B7 Nightcall", .emoji = ":zap:", .expiration = 0}}}) {
        SCOPED_TRACE(whenMusicStops);
        makeEngine({"T1"}, whenMusicStops);
        slack["T1"]->status = kLunch;
        startEngine();
        play("Kavinsky", "Nightcall");
        timers->advance(1s); // a write a second ago does not hold it up
        engine->setPosting("T1", false);
        settle();
        EXPECT_EQ(slack["T1"]->status, expected);
        EXPECT_FALSE(engine->config().slackAccounts.front().isEnabled);
        discardEngine();
    }
}

TEST_F(EngineTest, StoppingHandsBackIgnoringPacing) {
    makeEngine({"T1", "T2"});
    slack["T1"]->status = kLunch;
    startEngine();
    play("Kavinsky", "Nightcall");
    stopEngine();                           // right after the write
    EXPECT_EQ(slack["T1"]->status, kLunch); // with its expiration
    EXPECT_EQ(logged(EngineText::restored("T1")), 1U);
    EXPECT_FALSE(record("T1").lastSetByUs);
    EXPECT_EQ(slack["T2"]->status, SlackStatus::empty());
    EXPECT_EQ(logged(EngineText::kEngineStopped), 1U);
}

} // namespace
} // namespace nimbrel::testing
