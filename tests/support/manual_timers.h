#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "app/clients/timers.h"

namespace nimbrel::testing {

/// Virtual time for the clients. Nothing fires on its own except timers of the auto-fire purposes (retry
/// waits, by default), which fire on the next turn of the event loop with the clock jumping to them; the
/// test moves time for the rest with advance() or fireNext(). Every requested delay is kept, so tests
/// assert the waits instead of sitting through them.
class ManualTimers final : public Timers {
public:
    explicit ManualTimers(Instant start = std::chrono::sys_days{std::chrono::year{2026} / 12 / 6})
        : m_registry(std::make_shared<Registry>())
        , m_context(std::make_unique<QObject>()) {
        m_registry->now = start;
    }

    Instant now() const override { return m_registry->now; }

    std::unique_ptr<TimerHandle> start(std::chrono::milliseconds delay, TimerPurpose purpose,
                                       std::function<void()> callback) override {
        const std::uint64_t id = ++m_registry->lastID;
        m_registry->pending[id] = Entry{m_registry->now + delay, purpose, std::move(callback)};
        m_registry->started[purpose].push_back(delay);
        if (m_autoFire.contains(purpose)) {
            QTimer::singleShot(0, m_context.get(), [registry = m_registry, id] { fire(*registry, id); });
        }
        return std::make_unique<Handle>(m_registry, id);
    }

    void setAutoFire(std::set<TimerPurpose> purposes) { m_autoFire = std::move(purposes); }

    /// Moves the clock forward, firing every timer that comes due, in order.
    void advance(std::chrono::milliseconds by) {
        const Instant target = m_registry->now + by;
        for (;;) {
            auto next = earliest([](const Entry&) { return true; });
            if (next == 0 || m_registry->pending[next].due > target) {
                break;
            }
            fire(*m_registry, next);
        }
        m_registry->now = std::max(m_registry->now, target);
    }
    /// Jumps to the next pending timer of this purpose and fires it; false when there is none.
    bool fireNext(TimerPurpose purpose) {
        const std::uint64_t next = earliest([purpose](const Entry& entry) { return entry.purpose == purpose; });
        if (next == 0) {
            return false;
        }
        fire(*m_registry, next);
        return true;
    }
    std::size_t pending(TimerPurpose purpose) const {
        std::size_t count = 0;
        for (const auto& [id, entry] : m_registry->pending) {
            count += entry.purpose == purpose ? 1 : 0;
        }
        return count;
    }
    /// Every delay asked for with this purpose, in order.
    std::vector<std::chrono::milliseconds> started(TimerPurpose purpose) const {
        const auto found = m_registry->started.find(purpose);
        return found != m_registry->started.end() ? found->second : std::vector<std::chrono::milliseconds>{};
    }

private:
    struct Entry {
        Instant due;
        TimerPurpose purpose = TimerPurpose::retryWait;
        std::function<void()> callback;
    };
    struct Registry {
        Instant now;
        std::uint64_t lastID = 0;
        std::map<std::uint64_t, Entry> pending;
        std::map<TimerPurpose, std::vector<std::chrono::milliseconds>> started;
    };
    class Handle final : public TimerHandle {
    public:
        Handle(std::shared_ptr<Registry> registry, std::uint64_t id)
            : m_registry(std::move(registry))
            , m_id(id) {}
        ~Handle() override { m_registry->pending.erase(m_id); }
        Handle(const Handle&) = delete;
        Handle& operator=(const Handle&) = delete;

    private:
        std::shared_ptr<Registry> m_registry;
        std::uint64_t m_id;
    };

    static void fire(Registry& registry, std::uint64_t id) {
        const auto found = registry.pending.find(id);
        if (found == registry.pending.end()) {
            return; // cancelled meanwhile
        }
        Entry entry = std::move(found->second);
        registry.pending.erase(found);
        registry.now = std::max(registry.now, entry.due);
        entry.callback();
    }
    template <typename Predicate>
    std::uint64_t earliest(Predicate accept) const {
        std::uint64_t best = 0;
        for (const auto& [id, entry] : m_registry->pending) {
            if (accept(entry) && (best == 0 || entry.due < m_registry->pending.at(best).due)) {
                best = id;
            }
        }
        return best;
    }

    std::shared_ptr<Registry> m_registry;
    std::unique_ptr<QObject> m_context;
    std::set<TimerPurpose> m_autoFire{TimerPurpose::retryWait};
};

/// Runs the event loop until `condition` holds; false after `timeout` of real time.
template <typename Condition>
bool processEventsUntil(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds{20}) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!condition()) {
        if (elapsed.elapsed() > timeout.count()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

} // namespace nimbrel::testing
