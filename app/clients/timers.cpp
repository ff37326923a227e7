#include "app/clients/timers.h"

#include <QTimer>
#include <cmath>

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

} // namespace

Instant SystemTimers::now() const {
    return std::chrono::system_clock::now();
}

std::unique_ptr<TimerHandle> SystemTimers::start(std::chrono::milliseconds delay, TimerPurpose /*purpose*/,
                                                 std::function<void()> callback) {
    auto* timer = new QTimer();
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    auto firing = std::make_shared<bool>(false);
    QObject::connect(timer, &QTimer::timeout, timer, [firing, callback = std::move(callback)] {
        *firing = true;
        callback();
        *firing = false;
    });
    timer->start(delay);
    return std::make_unique<QtTimerHandle>(timer, std::move(firing));
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
