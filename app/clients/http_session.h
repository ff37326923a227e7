#pragma once

#include <QByteArray>
#include <QUrl>
#include <chrono>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <qcoro/qcorotask.h>

#include "app/clients/outcome.h"
#include "app/clients/timers.h"
#include "app/clients/transport_error.h"

class QNetworkAccessManager;

namespace nimbrel {

/// One HTTP request as a client builds it.
struct HttpRequest {
    QByteArray method = "GET";
    QUrl url;
    std::vector<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body;
};

/// An HTTP answer with its whole body.
struct HttpResponse {
    int status = 0;
    std::vector<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body;

    /// The first header of that name, compared without regard to case.
    std::optional<QByteArray> header(const QByteArray& name) const;
};

/// A connection pool with the rules every request of one kind shares: a deadline for the whole exchange,
/// a cap on the body, and whether local caches may answer. One per role (Slack and the sign-in service
/// share one; the genre client has its own), owned by whoever builds the clients and shared by them.
class HttpSession {
public:
    /// The most bytes of a body we keep; a larger answer fails rather than grow memory without bound.
    static constexpr qint64 kMaxBodyBytes = 1 << 20;

    struct Options {
        /// How long one request may take from sending to the last byte of the answer.
        std::chrono::milliseconds deadline{30'000};
        qint64 maxBodyBytes = kMaxBodyBytes;
        /// Always ask the server; never answer from, or store into, a local cache.
        bool bypassCache = false;
    };

    /// Slack's Web API and the sign-in service: 30 seconds for a whole request. (A request that is
    /// merely quiet is held to 60 seconds elsewhere; the whole-request limit always ends it first.)
    static Options slackOptions();
    /// The iTunes Search API: 20 seconds for a whole request, and never a cached answer.
    static Options iTunesOptions();

    HttpSession(Options options, std::shared_ptr<Timers> timers);
    ~HttpSession();
    HttpSession(const HttpSession&) = delete;
    HttpSession& operator=(const HttpSession&) = delete;

    /// Sends the request and awaits the whole answer. Any HTTP status is an answer; a failure of the
    /// transport, the deadline or the body cap is a TransportError.
    QCoro::Task<Outcome<HttpResponse, TransportError>> send(HttpRequest request);

    Timers& timers() const noexcept { return *m_timers; }
    const Options& options() const noexcept { return m_options; }

private:
    Options m_options;
    std::shared_ptr<Timers> m_timers;
    std::unique_ptr<QNetworkAccessManager> m_manager;
};

} // namespace nimbrel
