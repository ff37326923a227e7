#pragma once

#include <chrono>
#include <coroutine>
#include <functional>
#include <memory>

#include <qcoro/qcorotask.h>

#include "core/time/instant.h"

namespace nimbrel {

/// Why the program waits. Tests use it to let retry waits pass at once while a deadline waits for them; the
/// real timers use it to choose how precisely to fire (a coarse timer lets the system batch wake-ups).
enum class TimerPurpose {
    requestDeadline,
    retryWait,
    delayedSave,
    /// The quiet period after a player's change notification.
    debounce,
    /// The engine's safety-net poll (a fifth of its interval either way is fine).
    poll,
    /// The cat's animation frames.
    animationFrame,
    /// The retry of writes that pacing deferred.
    deferredRetry,
    /// The bound on how long stopping may take.
    shutdownDeadline,
    /// The quiet period before the vibes editor applies its edits.
    editorCommit,
    /// The pause before the notch island follows the pointer (expanding or collapsing).
    islandHover,
};

/// A started timer; destroying it cancels the timer if it has not fired.
class TimerHandle {
public:
    virtual ~TimerHandle() = default;
};

/// The clients' time: the wall clock for caches and budgets, and one-shot timers on the calling thread's
/// event loop for every wait. Passed in, so that tests run minutes of retries and deadlines on virtual time.
class Timers {
public:
    virtual ~Timers() = default;
    /// The current instant.
    virtual Instant now() const = 0;
    /// Calls `callback` once, `delay` from now, on this thread's event loop, unless the handle is destroyed
    /// first. The callback may destroy the handle.
    virtual std::unique_ptr<TimerHandle> start(std::chrono::milliseconds delay, TimerPurpose purpose,
                                               std::function<void()> callback) = 0;
};

/// The real clock and Qt's timers (monotonic, precise to the millisecond).
class SystemTimers final : public Timers {
public:
    Instant now() const override;
    std::unique_ptr<TimerHandle> start(std::chrono::milliseconds delay, TimerPurpose purpose,
                                       std::function<void()> callback) override;
};

/// `co_await sleepFor(timers, delay, purpose)` resumes the coroutine once the timer has fired.
class SleepAwaiter {
public:
    SleepAwaiter(Timers& timers, std::chrono::milliseconds delay, TimerPurpose purpose)
        : m_timers(timers)
        , m_delay(delay)
        , m_purpose(purpose) {}

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> waiting) {
        m_handle = m_timers.start(m_delay, m_purpose, [waiting] { waiting.resume(); });
    }
    void await_resume() const noexcept {}

private:
    Timers& m_timers;
    std::chrono::milliseconds m_delay;
    TimerPurpose m_purpose;
    std::unique_ptr<TimerHandle> m_handle;
};

inline SleepAwaiter sleepFor(Timers& timers, std::chrono::milliseconds delay, TimerPurpose purpose) {
    return {timers, delay, purpose};
}

/// Awaits `work` for at most `limit`: true when it finished in time. After a time-out the work goes on
/// unawaited; whoever started it must keep what it uses alive or know that it checks.
QCoro::Task<bool> finishesWithin(Timers& timers, std::chrono::milliseconds limit, QCoro::Task<> work);

/// Seconds as milliseconds, rounded to the nearest and never negative.
std::chrono::milliseconds toMilliseconds(double seconds);

} // namespace nimbrel
