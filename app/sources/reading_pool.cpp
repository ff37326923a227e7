#include "app/sources/reading_pool.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#include <pthread.h>

namespace nimbrel {

// Shared with the threads, which are detached: a thread stuck in a player's call may outlive the pool.
struct ReadingPool::State {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> jobs;
    int idle = 0;
    int threads = 0;
    bool stopping = false;
};

namespace {

void work(const std::shared_ptr<ReadingPool::State>& state, std::function<void()> first) {
    pthread_setname_np(pthread_self(), "player-read");
    std::function<void()> job = std::move(first);
    for (;;) {
        job();
        job = nullptr;
        std::unique_lock lock(state->mutex);
        ++state->idle;
        const bool woken = state->wake.wait_for(lock, ReadingPool::kIdleExpiry,
                                                [&] { return state->stopping || !state->jobs.empty(); });
        --state->idle;
        if (!woken || state->jobs.empty()) {
            --state->threads;
            return;
        }
        job = std::move(state->jobs.front());
        state->jobs.pop_front();
    }
}

} // namespace

ReadingPool::ReadingPool()
    : m_state(std::make_shared<State>()) {}

ReadingPool::~ReadingPool() {
    const std::lock_guard lock(m_state->mutex);
    m_state->stopping = true;
    m_state->wake.notify_all();
}

void ReadingPool::submit(std::function<void()> job) {
    {
        std::lock_guard lock(m_state->mutex);
        // Hand the job to an idle thread only when there are more idle threads than queued jobs, so that a
        // queued job is never left behind a busy one.
        if (m_state->idle > static_cast<int>(m_state->jobs.size())) {
            m_state->jobs.push_back(std::move(job));
            m_state->wake.notify_one();
            return;
        }
        ++m_state->threads;
    }
    std::thread(work, m_state, std::move(job)).detach();
}

int ReadingPool::threadCount() const {
    const std::lock_guard lock(m_state->mutex);
    return m_state->threads;
}

} // namespace nimbrel
