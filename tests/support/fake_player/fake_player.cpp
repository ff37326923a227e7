#include "tests/support/fake_player/fake_player.h"

namespace nimbrel::testing {

FakePlayer::FakePlayer(const QString& name)
    : m_player(new FakeMprisPlayer(name)) {
    m_player->moveToThread(&m_thread);
    m_thread.start();
}

FakePlayer::~FakePlayer() {
    // Leave the bus and go away on the player's own thread, where its connection and timers live.
    QMetaObject::invokeMethod(
        m_player, [this] { delete m_player; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

} // namespace nimbrel::testing
