#include <QDBusInterface>
#include <QDBusReply>
#include <QProcess>
#include <QTest>

#include "app/sources/source_coordinator.h"
#include "tests/app/sources/sources_test_support.h"
#include "tests/support/fake_player/fake_player_control.h"

namespace nimbrel::testing {
namespace {

using FakePlayerTest = SourcesTest;

QString runPlayerctl(const QStringList& arguments) {
    QProcess playerctl;
    playerctl.start(QStringLiteral("playerctl"), arguments);
    EXPECT_TRUE(playerctl.waitForFinished(10000)) << arguments.join(QLatin1Char(' ')).toStdString();
    return QString::fromUtf8(playerctl.readAllStandardOutput()).trimmed();
}

// The fake speaks MPRIS as real players do: a real MPRIS client reads and drives it.
TEST_F(FakePlayerTest, PlayerctlReadsAndDrivesIt) {
    auto spotify = startedPlayer(QStringLiteral("spotify"));
    spotify->run([](FakeMprisPlayer& p) {
        p.play({{QStringLiteral("Daft Punk"), QStringLiteral("Pharrell Williams")},
                QStringLiteral("Get Lucky"),
                QStringLiteral("https://i.scdn.co/image/ab67")});
    });
    EXPECT_EQ(runPlayerctl({QStringLiteral("--list-all")}), QStringLiteral("spotify"));
    EXPECT_EQ(
        runPlayerctl({QStringLiteral("-p"), QStringLiteral("spotify"), QStringLiteral("metadata"),
                      QStringLiteral("--format"), QStringLiteral("{{status}}|{{artist}}|{{title}}|{{mpris:artUrl}}")}),
        QStringLiteral("Playing|Daft Punk, Pharrell Williams|Get Lucky|https://i.scdn.co/image/ab67"));
    runPlayerctl({QStringLiteral("-p"), QStringLiteral("spotify"), QStringLiteral("next")});
    runPlayerctl({QStringLiteral("-p"), QStringLiteral("spotify"), QStringLiteral("play-pause")});
    EXPECT_EQ(runPlayerctl({QStringLiteral("-p"), QStringLiteral("spotify"), QStringLiteral("status")}),
              QStringLiteral("Paused"));
    EXPECT_EQ(spotify->run([](FakeMprisPlayer& p) { return p.receivedCommands(); }),
              (QStringList{QStringLiteral("Next"), QStringLiteral("PlayPause")}));
}

// The program a person or a benchmark runs, driven over its control interface.
TEST_F(FakePlayerTest, TheProgramIsDrivenOverItsControlInterface) {
    QProcess program;
    program.start(QStringLiteral(NIMBREL_FAKE_PLAYER_PATH), {QStringLiteral("--name"), QStringLiteral("cider")});
    ASSERT_TRUE(program.waitForReadyRead(10000));
    QDBusInterface control(QString::fromLatin1(FakePlayerControl::kServicePrefix) + QStringLiteral("cider"),
                           QString::fromLatin1(FakePlayerControl::kPath),
                           QStringLiteral("com.quillmoor.nimbrel.FakePlayer"));
    ASSERT_TRUE(control.isValid());
    auto sources = SourceCoordinator::forPlayers({PlayerSourceID::spotify, PlayerSourceID::appleMusic},
                                                 QDBusConnection::sessionBus(), {});
    EXPECT_EQ(sources->read(), NowPlaying::notPlaying("stopped", "", ""));
    control.call(QStringLiteral("Play"), QStringLiteral("Artist"), QStringLiteral("Title"), QString());
    EXPECT_EQ(sources->read(), NowPlaying::playing("Artist", "Title"));
    control.call(QStringLiteral("Quit"));
    EXPECT_EQ(sources->read(), NowPlaying::notRunning());
    control.call(QStringLiteral("Exit"));
    EXPECT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitCode(), 0);
}

} // namespace
} // namespace nimbrel::testing
