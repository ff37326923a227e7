#include "tests/support/fake_player/fake_player_control.h"

#include <QCoreApplication>
#include <QTimer>

namespace nimbrel::testing {

FakePlayerControl::FakePlayerControl(FakeMprisPlayer& player, QObject* parent)
    : QObject(parent)
    , m_player(player) {}

void FakePlayerControl::Play(const QString& artist, const QString& title, const QString& artUrl) {
    m_player.play({{artist}, title, artUrl});
}

void FakePlayerControl::Pause() {
    m_player.pause();
}

void FakePlayerControl::Stop(bool clearTrack) {
    m_player.stop(clearTrack);
}

void FakePlayerControl::ChangeTrack(const QString& artist, const QString& title, const QString& artUrl, int rounds) {
    m_player.changeTrack({{artist}, title, artUrl}, rounds);
}

void FakePlayerControl::HangGetAll(int milliseconds) {
    m_player.hangGetAll(milliseconds);
}

void FakePlayerControl::FailWith(const QString& errorName, const QString& message) {
    m_player.failWith(errorName, message);
}

bool FakePlayerControl::Appear() {
    return m_player.appear();
}

void FakePlayerControl::Quit() {
    m_player.quit();
}

QStringList FakePlayerControl::ReceivedCommands() {
    return m_player.receivedCommands();
}

void FakePlayerControl::Exit() {
    // After the reply has gone out.
    QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
}

} // namespace nimbrel::testing
