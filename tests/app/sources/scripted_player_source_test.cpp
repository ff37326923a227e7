#include <QDBusArgument>
#include <QTest>
#include <chrono>
#include <fstream>
#include <future>

#include <sys/stat.h>

#include "tests/app/sources/sources_test_support.h"

namespace nimbrel::testing {
namespace {

using Properties = QVariantMap;
const QString kStatus = QStringLiteral("PlaybackStatus");
const QString kMetadata = QStringLiteral("Metadata");

QVariantMap track(const QVariant& artist, const QVariant& title) {
    return {{QStringLiteral("xesam:artist"), artist}, {QStringLiteral("xesam:title"), title}};
}

using ScriptedPlayerSourceTest = SourcesTest;

TEST_F(ScriptedPlayerSourceTest, ReadingsOfAWellBehavedPlayer) {
    auto spotify = startedPlayer(QStringLiteral("spotify"));
    auto source = sourceFor(PlayerSourceID::spotify);
    source->perform(PlayerCommand::next);
    source->perform(PlayerCommand::previous);
    source->perform(PlayerCommand::playPause);
    EXPECT_EQ(spotify->run([](FakeMprisPlayer& p) { return p.receivedCommands(); }),
              (QStringList{QStringLiteral("Next"), QStringLiteral("Previous"), QStringLiteral("PlayPause")}));

    const std::string permission = ScriptedPlayerSource::permissionDetail("Spotify");
    struct Case {
        const char* name;
        std::function<void(FakeMprisPlayer&)> setUp;
        NowPlaying expected;
    };
    const Case cases[] = {
        {"stopped, empty queue", [](FakeMprisPlayer& p) { p.stop(true); }, NowPlaying::notPlaying("stopped", "", "")},
        {"playing",
         [](FakeMprisPlayer& p) {
             p.play({{QStringLiteral("Daft Punk"), QStringLiteral("Pharrell")}, QStringLiteral("Get Lucky"), {}});
         },
         NowPlaying::playing("Daft Punk, Pharrell", "Get Lucky")},
        {"paused keeps the track", [](FakeMprisPlayer& p) { p.pause(); },
         NowPlaying::notPlaying("paused", "Daft Punk, Pharrell", "Get Lucky")},
        {"playing without a track",
         [](FakeMprisPlayer& p) {
             p.stop(true);
             p.setPlayerProperty(kStatus, QStringLiteral("Playing"));
         },
         NowPlaying::notPlaying("stopped", "", "")},
        {"access refused",
         [](FakeMprisPlayer& p) {
             p.failWith(QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"), QStringLiteral("denied"));
         },
         NowPlaying::error(permission)},
        {"consent needed",
         [](FakeMprisPlayer& p) {
             p.failWith(QStringLiteral("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired"),
                        QStringLiteral("ask"));
         },
         NowPlaying::error(permission)},
        {"any other error",
         [](FakeMprisPlayer& p) { p.failWith(QStringLiteral("org.example.Busy"), QStringLiteral("busy right now")); },
         NowPlaying::error("Can't read Spotify: busy right now")},
    };
    for (const Case& c : cases) {
        spotify->run(c.setUp);
        EXPECT_EQ(source->read(), c.expected) << c.name;
    }
    const auto lines = logLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         std::pair{LogLevel::error, std::string("Spotify: MPRIS error -1743: denied")}),
              1);
}

TEST_F(ScriptedPlayerSourceTest, NotRunningAsksNothing) {
    auto cider = startedPlayer(QStringLiteral("cider"));
    cider->play(QStringLiteral("A"), QStringLiteral("T"), QStringLiteral("https://example.com/a.jpg"));
    auto spotify = sourceFor(PlayerSourceID::spotify);
    EXPECT_EQ(spotify->read(), NowPlaying::notRunning());
    EXPECT_EQ(spotify->artwork(), std::nullopt);
    spotify->perform(PlayerCommand::next);
    EXPECT_EQ(cider->run([](FakeMprisPlayer& p) { return p.getAllCount(); }), 0);
    EXPECT_TRUE(cider->run([](FakeMprisPlayer& p) { return p.receivedCommands(); }).isEmpty());
}

TEST_F(ScriptedPlayerSourceTest, GarbageStillGivesAReading) {
    auto spotify = startedPlayer(QStringLiteral("spotify"));
    auto source = sourceFor(PlayerSourceID::spotify);
    const QString longTitle(10'000, QLatin1Char('x'));
    struct Case {
        const char* name;
        Properties properties;
        NowPlaying expected;
    };
    const auto with = [](const QString& status, const QVariant& artist, const QVariant& title) {
        return Properties{{kStatus, status}, {kMetadata, track(artist, title)}};
    };
    const QString on = QStringLiteral("Playing");
    const QStringList a{QStringLiteral("A")};
    const QString t = QStringLiteral("T");
    const Case cases[] = {
        {"status of the wrong type",
         {{kStatus, 3}},
         NowPlaying::error("Can't read Spotify: the player gave no PlaybackStatus")},
        {"status of no MPRIS word", with(QStringLiteral("Buffering"), a, t),
         NowPlaying::notPlaying("buffering", "A", "T")},
        {"metadata not a map",
         {{kStatus, on}, {kMetadata, QStringLiteral("nonsense")}},
         NowPlaying::notPlaying("stopped", "", "")},
        {"metadata without title",
         {{kStatus, QStringLiteral("Paused")}, {kMetadata, QVariantMap{{QStringLiteral("xesam:artist"), a}}}},
         NowPlaying::notPlaying("paused", "", "")},
        {"artist as one string", with(on, QStringLiteral("Solo"), t), NowPlaying::playing("Solo", "T")},
        {"artist as numbers", with(on, QVariant::fromValue(QList<int>{1, 2}), t), NowPlaying::playing("", "T")},
        {"title as invalid UTF-8", with(on, a, QByteArray("Caf\xC3(\xFF", 6)),
         NowPlaying::playing("A", "Caf\xEF\xBF\xBD(\xEF\xBF\xBD")},
        {"tabs cannot shift the fields", with(on, QStringList{QStringLiteral("A\tB")}, QStringLiteral("T\tU")),
         NowPlaying::playing("A B", "T\tU")},
        {"10,000-character title", with(on, a, longTitle), NowPlaying::playing("A", longTitle.toStdString())},
    };
    for (const Case& c : cases) {
        spotify->run([&](FakeMprisPlayer& p) {
            for (auto it = c.properties.cbegin(); it != c.properties.cend(); ++it) {
                p.setPlayerProperty(it.key(), it.value());
            }
        });
        EXPECT_EQ(source->read(), c.expected) << c.name;
    }
    spotify->run([](FakeMprisPlayer& p) { p.answerGetAllWith(QStringLiteral("just text")); });
    EXPECT_EQ(source->read(),
              NowPlaying::error("Can't read Spotify: the player answered its properties with a value of type \"s\""));
}

TEST_F(ScriptedPlayerSourceTest, APlayerQuittingMidCallIsNotRunning) {
    auto spotify = startedPlayer(QStringLiteral("spotify"));
    spotify->run([](FakeMprisPlayer& p) { p.hangGetAll(-1); });
    auto source = sourceFor(PlayerSourceID::spotify);
    const auto started = std::chrono::steady_clock::now();
    auto reading = std::async(std::launch::async, [&] { return source->read(); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return spotify->run([](FakeMprisPlayer& p) { return p.getAllCount(); }) == 1; }));
    spotify->quit();
    EXPECT_EQ(reading.get(), NowPlaying::notRunning());
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

TEST_F(ScriptedPlayerSourceTest, FindsInstancesAndAppleMusicClients) {
    auto paused = startedPlayer(QStringLiteral("spotify"));
    paused->play(QStringLiteral("Paused"), QStringLiteral("One"));
    paused->pause();
    auto playing = startedPlayer(QStringLiteral("spotify.instance4242"));
    playing->play(QStringLiteral("Playing"), QStringLiteral("Two"));
    EXPECT_EQ(sourceFor(PlayerSourceID::spotify)->read(), NowPlaying::playing("Playing", "Two"));
    playing->pause();
    EXPECT_EQ(sourceFor(PlayerSourceID::spotify)->read(), NowPlaying::notPlaying("paused", "Paused", "One"));

    // A web client in a browser counts as Apple Music by what it calls itself; Spotify never takes it.
    FakePlayer web(QStringLiteral("chromium.instance99"));
    web.run([](FakeMprisPlayer& p) {
        p.setIdentity(QStringLiteral("Apple Music — Chromium"), QStringLiteral("chromium"));
    });
    ASSERT_TRUE(web.appear());
    web.play(QStringLiteral("Web"), QStringLiteral("Three"));
    EXPECT_EQ(sourceFor(PlayerSourceID::appleMusic)->read(), NowPlaying::playing("Web", "Three"));
    web.quit();
    EXPECT_EQ(sourceFor(PlayerSourceID::appleMusic)->read(), NowPlaying::notRunning());
    auto cider = startedPlayer(QStringLiteral("cider2"));
    cider->play(QStringLiteral("Cider"), QStringLiteral("Four"));
    EXPECT_EQ(sourceFor(PlayerSourceID::appleMusic)->read(), NowPlaying::playing("Cider", "Four"));
}

TEST_F(ScriptedPlayerSourceTest, ArtworkByAddress) {
    TemporaryFolder folder;
    const auto small = folder / "cover.jpg";
    std::ofstream(small) << "JPEGDATA";
    const auto big = folder / "huge.jpg";
    std::ofstream(big).close();
    std::filesystem::resize_file(big, ScriptedPlayerSource::kMaxArtworkFileBytes + 1);
    const auto fifo = folder / "pipe.jpg";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto fileUrl = [](const std::filesystem::path& p) {
        return "file://" + p.string();
    };
    const std::pair<std::string, std::optional<Artwork>> cases[] = {
        {"https://i.scdn.co/image/ab67", Artwork{Artwork::Url{"https://i.scdn.co/image/ab67"}}},
        {"https://open.spotify.com/image/ab67", Artwork{Artwork::Url{"https://i.scdn.co/image/ab67"}}},
        {"http://i.scdn.co/image/ab67", std::nullopt},
        {"data:image/png;base64,AAAA", std::nullopt},
        {"not an address at all", std::nullopt},
        {fileUrl(small), Artwork{Artwork::Data{{'J', 'P', 'E', 'G', 'D', 'A', 'T', 'A'}}}},
        {fileUrl(big), std::nullopt},
        {fileUrl(folder / "missing.jpg"), std::nullopt},
        {fileUrl(fifo), std::nullopt}, // would block the reading thread
    };
    for (const auto& [address, expected] : cases) {
        EXPECT_EQ(ScriptedPlayerSource::artworkFromAddress(address), expected) << address;
    }

    auto spotify = startedPlayer(QStringLiteral("spotify"));
    auto source = sourceFor(PlayerSourceID::spotify);
    EXPECT_EQ(source->artwork(), std::nullopt);
    spotify->play(QStringLiteral("A"), QStringLiteral("T"), QStringLiteral("https://open.spotify.com/image/ab67"));
    EXPECT_EQ(source->artwork(), (Artwork{Artwork::Url{"https://i.scdn.co/image/ab67"}}));
}

TEST_F(ScriptedPlayerSourceTest, Observing) {
    auto source = sourceFor(PlayerSourceID::spotify);
    int changes = 0;
    source->startObserving([&] { ++changes; });
    source->startObserving([&] { ++changes; });
    const auto settle = [&](int expected) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return changes >= expected; }, 3000)) << expected;
        QTest::qWait(200); // a second subscription would deliver its copy right behind the first
        EXPECT_EQ(changes, expected);
    };

    // Starting, each change, quitting and starting again all reach the handler, once each.
    auto spotify = startedPlayer(QStringLiteral("spotify"));
    settle(1);
    spotify->play(QStringLiteral("A"), QStringLiteral("T"));
    settle(2);
    spotify->quit();
    settle(3);
    ASSERT_TRUE(spotify->appear());
    settle(4);
    spotify->pause();
    settle(5);

    // Another player's changes are not Spotify's.
    auto cider = startedPlayer(QStringLiteral("cider"));
    cider->play(QStringLiteral("B"), QStringLiteral("U"));
    QTest::qWait(300);
    EXPECT_EQ(changes, 5);

    source->stopObserving();
    spotify->play(QStringLiteral("C"), QStringLiteral("V"));
    QTest::qWait(300);
    EXPECT_EQ(changes, 5);
}

} // namespace
} // namespace nimbrel::testing
