#pragma once

#include <QMetaObject>
#include <QThread>
#include <functional>
#include <memory>
#include <type_traits>

#include "tests/support/fake_player/fake_mpris_player.h"

namespace nimbrel::testing {

/// A FakeMprisPlayer on a thread of its own, so that a test can read it with blocking calls from the main
/// thread. Every call runs on the player's thread and returns when it is done.
class FakePlayer {
public:
    /// `name` is the bus-name suffix ("spotify", "cider", "spotify.instance7"). The player is not on the bus
    /// until `appear`.
    explicit FakePlayer(const QString& name);
    ~FakePlayer();
    FakePlayer(const FakePlayer&) = delete;
    FakePlayer& operator=(const FakePlayer&) = delete;

    /// Runs `action` with the player on its thread and returns its result.
    template <typename Action>
    auto run(Action action) -> std::invoke_result_t<Action&, FakeMprisPlayer&> {
        using Result = std::invoke_result_t<Action&, FakeMprisPlayer&>;
        if constexpr (std::is_void_v<Result>) {
            QMetaObject::invokeMethod(
                m_player, [&] { action(*m_player); }, Qt::BlockingQueuedConnection);
        } else {
            Result result{};
            QMetaObject::invokeMethod(
                m_player, [&] { result = action(*m_player); }, Qt::BlockingQueuedConnection);
            return result;
        }
    }

    bool appear() {
        return run([](FakeMprisPlayer& player) { return player.appear(); });
    }
    void quit() {
        run([](FakeMprisPlayer& player) { player.quit(); });
    }
    void play(const QString& artist, const QString& title, const QString& artUrl = {}) {
        run([&](FakeMprisPlayer& player) { player.play({{artist}, title, artUrl}); });
    }
    void pause() {
        run([](FakeMprisPlayer& player) { player.pause(); });
    }

private:
    QThread m_thread;
    FakeMprisPlayer* m_player;
};

} // namespace nimbrel::testing
