#pragma once

#include <QUrl>
#include <chrono>
#include <memory>
#include <string>

#include <qcoro/qcorotask.h>

#include "app/clients/http_session.h"
#include "tests/support/manual_timers.h"

namespace nimbrel::testing {

/// A session on virtual time for client tests: retry waits pass at once, deadlines wait for the test.
struct VirtualSession {
    std::shared_ptr<ManualTimers> timers = std::make_shared<ManualTimers>();
    std::shared_ptr<HttpSession> session = std::make_shared<HttpSession>(HttpSession::slackOptions(), timers);

    std::vector<std::chrono::milliseconds> retryWaits() const { return timers->started(TimerPurpose::retryWait); }
};

inline QUrl url(const std::string& text) {
    return QUrl(QString::fromStdString(text));
}

/// Waits for a task against a server that never answers: each request's deadline fires as soon as the
/// server has seen the request, so the deadline is tested without real waiting.
template <typename T, typename Server>
T awaitFiringDeadlines(QCoro::Task<T>& task, ManualTimers& timers, const Server& server) {
    std::size_t answered = 0;
    processEventsUntil([&] {
        if (task.isReady()) {
            return true;
        }
        if (server.requestCount() > answered && timers.pending(TimerPurpose::requestDeadline) > 0) {
            ++answered;
            timers.fireNext(TimerPurpose::requestDeadline);
        }
        return task.isReady();
    });
    return QCoro::waitFor(task);
}

} // namespace nimbrel::testing
