#include "app/sources/source_coordinator.h"

#include <QTest>
#include <QTimer>
#include <chrono>
#include <future>

#include <qcoro/qcorofuture.h>
#include <qcoro/qcorotask.h>

#include "app/sources/serial_queue.h"
#include "tests/app/sources/sources_test_support.h"

namespace nimbrel::testing {
namespace {

using namespace std::chrono_literals;

class SourceCoordinatorTest : public SourcesTest {
protected:
    std::unique_ptr<SourceCoordinator> coordinator(std::vector<PlayerSourceID> players,
                                                   std::chrono::milliseconds limit = 1000ms) {
        return SourceCoordinator::forPlayers(players, QDBusConnection::sessionBus(),
                                             {.readTimeout = limit, .pool = m_pool});
    }
    static int getAlls(FakePlayer& player) {
        return player.run([](FakeMprisPlayer& p) { return p.getAllCount(); });
    }
    static QStringList commands(FakePlayer& player) {
        return player.run([](FakeMprisPlayer& p) { return p.receivedCommands(); });
    }

    std::shared_ptr<ReadingPool> m_pool = std::make_shared<ReadingPool>();
    const std::vector<PlayerSourceID> m_both{PlayerSourceID::spotify, PlayerSourceID::appleMusic};
};

TEST_F(SourceCoordinatorTest, SpotifyFirstThenThePlayingOneAndTheActivePlayerGetsTheCommands) {
    auto spotify = startedPlayer(QStringLiteral("spotify"));
    auto cider = startedPlayer(QStringLiteral("cider"));
    spotify->play(QStringLiteral("A"), QStringLiteral("T"), QStringLiteral("https://i.scdn.co/image/1"));
    cider->play(QStringLiteral("B"), QStringLiteral("U"));
    auto sources = coordinator(m_both);
    EXPECT_EQ(sources->read(), NowPlaying::playing("A", "T"));
    EXPECT_EQ(getAlls(*cider), 0); // Spotify playing leaves Apple Music unasked
    EXPECT_EQ(sources->artwork(), (Artwork{Artwork::Url{"https://i.scdn.co/image/1"}}));

    // Spotify paused, Apple Music playing: Apple Music wins and gets the command.
    spotify->pause();
    EXPECT_EQ(sources->read(), NowPlaying::playing("B", "U"));
    EXPECT_EQ(sources->activePlayer(), PlayerSourceID::appleMusic);
    sources->perform(PlayerCommand::next);
    EXPECT_EQ(commands(*cider), QStringList{QStringLiteral("Next")});

    // Spotify paused, Apple Music gone: Spotify's pause is the reading and it gets the command.
    cider->quit();
    EXPECT_EQ(sources->read(), NowPlaying::notPlaying("paused", "A", "T"));
    EXPECT_EQ(sources->activePlayer(), PlayerSourceID::spotify);
    sources->perform(PlayerCommand::playPause);
    EXPECT_EQ(commands(*spotify), QStringList{QStringLiteral("PlayPause")});

    // Both gone: nobody is active and commands go nowhere.
    spotify->quit();
    EXPECT_EQ(sources->read(), NowPlaying::notRunning());
    EXPECT_EQ(sources->activePlayer(), std::nullopt);
    EXPECT_EQ(sources->artwork(), std::nullopt);
    sources->perform(PlayerCommand::next);
    ASSERT_TRUE(spotify->appear());
    EXPECT_EQ(commands(*spotify), QStringList{QStringLiteral("PlayPause")});
}

TEST_F(SourceCoordinatorTest, NoSources) {
    auto spotify = startedPlayer(QStringLiteral("spotify"));
    spotify->play(QStringLiteral("A"), QStringLiteral("T"));
    auto none = coordinator({});
    EXPECT_EQ(none->id(), PlayerSourceID::spotify);
    EXPECT_EQ(none->read(), NowPlaying::error(std::string(SourceCoordinator::kNoSourcesDetail)));
    EXPECT_EQ(none->activePlayer(), std::nullopt);
    EXPECT_TRUE(none->readAll().empty());
}

TEST_F(SourceCoordinatorTest, AHungPlayerHoldsOnlyItsOwnSlot) {
    auto spotify = startedPlayer(QStringLiteral("spotify"));
    auto cider = startedPlayer(QStringLiteral("cider"));
    spotify->run([](FakeMprisPlayer& p) { p.hangGetAll(-1); });
    cider->play(QStringLiteral("B"), QStringLiteral("U"));
    auto sources = coordinator(m_both, 300ms);

    EXPECT_EQ(sources->read(), NowPlaying::playing("B", "U"));
    EXPECT_EQ(sources->activePlayer(), PlayerSourceID::appleMusic);
    const NowPlaying stuck = NowPlaying::error("Spotify isn’t responding. It may be busy or stuck — quitting and "
                                               "reopening it usually clears this.");
    EXPECT_EQ(sources->readAll(),
              (std::vector<SourceCoordinator::PlayerReading>{
                  {PlayerSourceID::spotify, stuck}, {PlayerSourceID::appleMusic, NowPlaying::playing("B", "U")}}));
    cider->pause();
    EXPECT_EQ(sources->read(), stuck); // an unreadable player outranks a paused one
    EXPECT_EQ(sources->activePlayer(), PlayerSourceID::appleMusic);
    const auto lines = logLines();
    EXPECT_EQ(
        std::count(lines.begin(), lines.end(),
                   std::pair{LogLevel::error, std::string("SourceCoordinator: Spotify read timed out after 0.3s")}),
        3);

    // However many reads hang, the next one starts at once.
    auto spotifyOnly = coordinator({PlayerSourceID::spotify}, 100ms);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(spotifyOnly->read(), stuck);
    }
    EXPECT_GE(m_pool->threadCount(), 11);
    EXPECT_EQ(coordinator({PlayerSourceID::appleMusic}, 300ms)->read(), NowPlaying::notPlaying("paused", "B", "U"));
}

TEST_F(SourceCoordinatorTest, TheMainThreadAwaitsTheDriver) {
    auto spotify = startedPlayer(QStringLiteral("spotify"));
    spotify->play(QStringLiteral("A"), QStringLiteral("T"));
    spotify->run([](FakeMprisPlayer& p) { p.hangGetAll(400); });
    std::shared_ptr<SourceCoordinator> sources = coordinator({PlayerSourceID::spotify}, 2000ms);
    SerialQueue driver{std::string(SourceCoordinator::kDriverQueueLabel)};

    // While the driver waits on the slow player, the main thread keeps running its event loop.
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(20);
    // GCC 12 destroys a temporary with a destructor twice when it sits in a co_await expression, so the
    // job is queued outside the coroutine and its future handed in.
    const auto awaitRead = [](QFuture<NowPlaying> reading) -> QCoro::Task<NowPlaying> {
        co_return co_await reading;
    };
    EXPECT_EQ(QCoro::waitFor(awaitRead(driver.run([sources] { return sources->read(); }))),
              NowPlaying::playing("A", "T"));
    EXPECT_GE(ticks, 5);
}

TEST_F(SourceCoordinatorTest, ForwardsEveryPlayersChanges) {
    auto sources = coordinator(m_both);
    int changes = 0;
    sources->startObserving([&] { ++changes; });
    auto spotify = startedPlayer(QStringLiteral("spotify"));
    auto cider = startedPlayer(QStringLiteral("cider"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return changes == 2; }, 3000));
    cider->play(QStringLiteral("B"), QStringLiteral("U"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return changes == 3; }, 3000));
    spotify->run([](FakeMprisPlayer& p) { p.changeTrack({{QStringLiteral("A")}, QStringLiteral("T"), {}}, 2); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return changes == 5; }, 3000));
    sources->stopObserving();
    cider->pause();
    QTest::qWait(300);
    EXPECT_EQ(changes, 5);
}

} // namespace
} // namespace nimbrel::testing
