#pragma once

#include <QUrl>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <qcoro/qcorotask.h>

#include "app/clients/http_session.h"
#include "tests/support/http/scripted_http_server.h"
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

inline ScriptedResponse status(int code) {
    return ScriptedResponse::text(code, "");
}

/// A body that stops halfway: a transport failure that is worth retrying.
inline ScriptedResponse cutShort(ScriptedResponse answer) {
    answer.behaviour = ScriptedResponse::Behaviour::truncate;
    return answer;
}

/// One row of a retry table: the answers served in turn and what the client must make of them.
struct RetryCase {
    const char* name;
    std::vector<ScriptedResponse> answers;
    std::size_t sends;
    std::vector<std::chrono::milliseconds> waits;
    std::optional<std::string> failure; // none: the call succeeds
    int maxAttempts = 3;
};

/// Runs every row against a reset server and a fresh virtual session: `call(row)` makes the request,
/// `succeeded(value)` checks what a successful call answered.
template <typename Server, typename Call, typename Check>
void runRetryTable(const std::vector<RetryCase>& rows, Server& server, const std::string& path, VirtualSession& time,
                   Call call, Check succeeded) {
    for (const RetryCase& row : rows) {
        SCOPED_TRACE(row.name);
        server.reset();
        time = VirtualSession{};
        for (const ScriptedResponse& answer : row.answers) {
            server.script(path, answer);
        }
        const auto outcome = QCoro::waitFor(call(row));
        EXPECT_EQ(server.requestCount(), row.sends);
        EXPECT_EQ(time.retryWaits(), row.waits);
        if (row.failure) {
            ASSERT_FALSE(outcome);
            EXPECT_EQ(outcome.error().description(), *row.failure);
        } else {
            ASSERT_TRUE(outcome) << outcome.error().description();
            succeeded(outcome.value());
        }
    }
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
