// nimbrel-fake-player: a music player on the session bus that speaks MPRIS, driven over its own D-Bus
// control interface (see FakePlayerControl). For trying the program without Spotify, and for benchmarks.
//   nimbrel-fake-player --name spotify [--identity Spotify] [--desktop-entry spotify]
//                       [--play "Artist" "Title"]
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <cstdio>

#include "tests/support/fake_player/fake_mpris_player.h"
#include "tests/support/fake_player/fake_player_control.h"

int main(int argc, char** argv) {
    using nimbrel::testing::FakeMprisPlayer;
    using nimbrel::testing::FakePlayerControl;

    const QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A fake MPRIS music player for testing Nimbrel."));
    parser.addHelpOption();
    const QCommandLineOption name(QStringLiteral("name"), QStringLiteral("Bus-name suffix (spotify, cider, …)."),
                                  QStringLiteral("name"), QStringLiteral("spotify"));
    const QCommandLineOption identity(QStringLiteral("identity"), QStringLiteral("The Identity property."),
                                      QStringLiteral("identity"));
    const QCommandLineOption desktopEntry(QStringLiteral("desktop-entry"), QStringLiteral("The DesktopEntry property."),
                                          QStringLiteral("entry"));
    const QCommandLineOption play(QStringLiteral("play"), QStringLiteral("Start playing \"Artist — Title\"."),
                                  QStringLiteral("artist — title"));
    parser.addOptions({name, identity, desktopEntry, play});
    parser.process(application);

    FakeMprisPlayer player(parser.value(name));
    if (parser.isSet(identity) || parser.isSet(desktopEntry)) {
        player.setIdentity(parser.value(identity), parser.value(desktopEntry));
    }
    if (parser.isSet(play)) {
        const QStringList parts = parser.value(play).split(QStringLiteral(" — "));
        player.play({{parts.value(0)}, parts.value(1, parts.value(0)), {}});
    }
    FakePlayerControl control(player);
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString controlName = QString::fromLatin1(FakePlayerControl::kServicePrefix) + parser.value(name);
    if (!bus.registerObject(QString::fromLatin1(FakePlayerControl::kPath), &control, QDBusConnection::ExportAllSlots) ||
        !bus.registerService(controlName) || !player.appear()) {
        std::fprintf(stderr, "nimbrel-fake-player: cannot take %s on the session bus\n", qPrintable(player.busName()));
        return 1;
    }
    std::printf("nimbrel-fake-player: %s (control: %s)\n", qPrintable(player.busName()), qPrintable(controlName));
    std::fflush(stdout);
    return QCoreApplication::exec();
}
