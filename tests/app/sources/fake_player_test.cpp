#include <QProcess>

#include "tests/app/sources/sources_test_support.h"

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

} // namespace
} // namespace nimbrel::testing
