#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace nimbrel {

/// The threads on which players are read. A read that hangs keeps only its own thread: a job never waits
/// for a busy thread, it takes an idle one or a new one, so the pool cannot run dry however many players
/// hang. Threads left idle for a while end. The application keeps one pool and hands it to every
/// coordinator it builds.
class ReadingPool {
public:
    /// Idle threads end after this long without work.
    static constexpr std::chrono::seconds kIdleExpiry{30};

    ReadingPool();
    /// Returns at once; threads still running a job end when it does.
    ~ReadingPool();
    ReadingPool(const ReadingPool&) = delete;
    ReadingPool& operator=(const ReadingPool&) = delete;

    /// Runs `job` on a pool thread at once.
    void submit(std::function<void()> job);
    /// Threads alive now (busy or idle); for tests and the log.
    int threadCount() const;

    /// What the pool shares with its threads.
    struct State;

private:
    std::shared_ptr<State> m_state;
};

} // namespace nimbrel
