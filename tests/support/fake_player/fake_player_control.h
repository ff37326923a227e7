#pragma once

#include <QObject>
#include <QString>

#include "tests/support/fake_player/fake_mpris_player.h"

namespace nimbrel::testing {

/// The small D-Bus interface through which a person, a script or a benchmark drives the fake player
/// executable: `gdbus call --session --dest com.quillmoor.nimbrel.FakePlayer.spotify
/// --object-path /com/quillmoor/nimbrel/FakePlayer --method com.quillmoor.nimbrel.FakePlayer.Play 'A' 'T' ''`.
class FakePlayerControl final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.quillmoor.nimbrel.FakePlayer")

public:
    static constexpr const char* kServicePrefix = "com.quillmoor.nimbrel.FakePlayer.";
    static constexpr const char* kPath = "/com/quillmoor/nimbrel/FakePlayer";

    explicit FakePlayerControl(FakeMprisPlayer& player, QObject* parent = nullptr);

public Q_SLOTS:
    void Play(const QString& artist, const QString& title, const QString& artUrl);
    void Pause();
    void Stop(bool clearTrack);
    void ChangeTrack(const QString& artist, const QString& title, const QString& artUrl, int rounds);
    void HangGetAll(int milliseconds);
    void FailWith(const QString& errorName, const QString& message);
    bool Appear();
    void Quit();
    QStringList ReceivedCommands();
    /// Ends the program.
    void Exit();

private:
    FakeMprisPlayer& m_player;
};

} // namespace nimbrel::testing
