#pragma once

#include <QFuture>
#include <QPromise>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>

namespace nimbrel {

/// One thread that runs jobs in order, for blocking work that must stay off the main thread. Each job's
/// result comes back as a QFuture, which a coroutine on the main thread can co_await (QCoro) without
/// blocking it.
class SerialQueue {
public:
    /// `label` names the thread (as the system shows it, shortened to 15 bytes).
    explicit SerialQueue(std::string label);
    /// Runs the jobs already queued, then ends the thread.
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    /// Queues `job`; its result (or an exception it threw) arrives in the future.
    template <typename Job>
    auto run(Job job) -> QFuture<std::invoke_result_t<Job&>> {
        using Result = std::invoke_result_t<Job&>;
        auto promise = std::make_shared<QPromise<Result>>();
        QFuture<Result> future = promise->future();
        promise->start();
        enqueue([promise, job = std::move(job)]() mutable {
            try {
                if constexpr (std::is_void_v<Result>) {
                    job();
                } else {
                    promise->addResult(job());
                }
            } catch (...) {
                promise->setException(std::current_exception());
            }
            promise->finish();
        });
        return future;
    }

private:
    void enqueue(std::function<void()> job);
    void loop();

    std::string m_label;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_jobs;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace nimbrel
