#include "app/clients/timers.h"

#include <QTimer>
#include <cmath>
#include <coroutine>
#include <limits>
#include <utility>

namespace nimbrel {
namespace {

class QtTimerHandle final : public TimerHandle {
public:
    QtTimerHandle(QTimer* timer, std::shared_ptr<bool> firing)
        : m_timer(timer)
        , m_firing(std::move(firing)) {}
    ~QtTimerHandle() override {
        // The handle may die inside the timer's own timeout signal (a coroutine resumed from it finished);
        // the timer must then outlive the signal, so it goes later.
        if (*m_firing) {
            m_timer->stop();
            m_timer->deleteLater();
        } else {
            delete m_timer;
        }
    }
    QtTimerHandle(const QtTimerHandle&) = delete;
    QtTimerHandle& operator=(const QtTimerHandle&) = delete;

private:
    QTimer* m_timer;
    std::shared_ptr<bool> m_firing;
};

// Only the waits someone feels need millisecond precision; the poll is a safety net that may be a second
// late, and animation frames may slip by a few percent, which lets the system batch their wake-ups.
Qt::TimerType timerType(TimerPurpose purpose) {
    switch (purpose) {
    case TimerPurpose::poll:
        return Qt::VeryCoarseTimer;
    case TimerPurpose::animationFrame:
        return Qt::CoarseTimer;
    default:
        return Qt::PreciseTimer;
    }
}

} // namespace

Instant SystemTimers::now() const {
    return std::chrono::system_clock::now();
}

std::unique_ptr<TimerHandle> SystemTimers::start(std::chrono::milliseconds delay, TimerPurpose purpose,
                                                 std::function<void()> callback) {
    auto* timer = new QTimer();
    timer->setSingleShot(true);
    timer->setTimerType(timerType(purpose));
    auto firing = std::make_shared<bool>(false);
    QObject::connect(timer, &QTimer::timeout, timer, [firing, callback = std::move(callback)] {
        *firing = true;
        callback();
        *firing = false;
    });
    // Qt takes an int of milliseconds; a longer wait would wrap around.
    timer->start(std::min(delay, std::chrono::milliseconds{std::numeric_limits<int>::max()}));
    return std::make_unique<QtTimerHandle>(timer, std::move(firing));
}

namespace {

// Whichever of the work and the time limit comes first resumes the waiting coroutine, once.
struct Race {
    std::coroutine_handle<> waiting;
    bool settled = false;
    bool workFinished = false;

    void settle() {
        if (settled) {
            return;
        }
        settled = true;
        if (waiting) {
            std::exchange(waiting, nullptr).resume();
        }
    }
};

struct RaceAwaiter {
    std::shared_ptr<Race> race;
    bool await_ready() const noexcept { return race->settled; }
    void await_suspend(std::coroutine_handle<> handle) noexcept { race->waiting = handle; }
    void await_resume() const noexcept {}
};

QCoro::Task<> runThenSettle(QCoro::Task<> work, std::shared_ptr<Race> race) {
    co_await work;
    race->workFinished = true;
    race->settle();
}

} // namespace

QCoro::Task<bool> finishesWithin(Timers& timers, std::chrono::milliseconds limit, QCoro::Task<> work) {
    auto race = std::make_shared<Race>();
    const std::unique_ptr<TimerHandle> deadline =
        timers.start(limit, TimerPurpose::shutdownDeadline, [race] { race->settle(); });
    runThenSettle(std::move(work), race);
    // Awaiting a named awaiter: GCC 12 destroys a temporary in a co_await expression twice.
    RaceAwaiter finished{race};
    co_await finished;
    co_return race->workFinished;
}

std::chrono::milliseconds toMilliseconds(double seconds) {
    if (!(seconds > 0)) {
        return std::chrono::milliseconds{0};
    }
    // A day is far beyond any wait of ours; the cap keeps the conversion defined.
    const double capped = std::min(seconds, 86'400.0);
    return std::chrono::milliseconds{static_cast<std::int64_t>(std::llround(capped * 1000.0))};
}

} // namespace nimbrel
