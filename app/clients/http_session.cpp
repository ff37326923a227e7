#include "app/clients/http_session.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <qcoro/qcoronetworkreply.h>

namespace nimbrel {
namespace {

// What happened to a reply besides what Qt tells: whether we stopped it, and the body read so far.
struct ReplyState {
    QByteArray body;
    bool timedOut = false;
    bool tooLarge = false;
};

TransportError transportError(QNetworkReply::NetworkError code, const QString& qtDescription) {
    using Kind = TransportError::Kind;
    Kind kind = Kind::other;
    switch (code) {
    case QNetworkReply::ConnectionRefusedError:
        kind = Kind::cannotConnect;
        break;
    case QNetworkReply::RemoteHostClosedError:
        kind = Kind::connectionLost;
        break;
    case QNetworkReply::HostNotFoundError:
        kind = Kind::hostNotFound;
        break;
    case QNetworkReply::TimeoutError:
        kind = Kind::timedOut;
        break;
    case QNetworkReply::SslHandshakeFailedError:
        kind = Kind::secureConnectionFailed;
        break;
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        kind = Kind::notConnected;
        break;
    case QNetworkReply::ProtocolUnknownError:
    case QNetworkReply::ProtocolInvalidOperationError:
    case QNetworkReply::ProtocolFailure:
        kind = Kind::notHttp;
        break;
    default:
        break;
    }
    return {kind, qtDescription.toStdString()};
}

TransportError bodyTooLarge(qint64 cap) {
    const std::string size = cap % (1 << 20) == 0 ? std::to_string(cap >> 20) + " MiB" : std::to_string(cap) + " bytes";
    return {TransportError::Kind::bodyTooLarge, TransportError::kBodyTooLargePrefix + size + "."};
}

// Errors of the connection itself, as opposed to those Qt derives from an HTTP status.
bool isConnectionError(QNetworkReply::NetworkError code) {
    return code != QNetworkReply::NoError && code < QNetworkReply::ProxyConnectionRefusedError;
}

} // namespace

std::optional<QByteArray> HttpResponse::header(const QByteArray& name) const {
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            return value;
        }
    }
    return std::nullopt;
}

HttpSession::Options HttpSession::slackOptions() {
    return Options{.deadline = std::chrono::seconds{30}, .maxBodyBytes = kMaxBodyBytes, .bypassCache = false};
}

HttpSession::Options HttpSession::iTunesOptions() {
    return Options{.deadline = std::chrono::seconds{20}, .maxBodyBytes = kMaxBodyBytes, .bypassCache = true};
}

HttpSession::HttpSession(Options options, std::shared_ptr<Timers> timers)
    : m_options(options)
    , m_timers(std::move(timers))
    , m_manager(std::make_unique<QNetworkAccessManager>()) {
    // No disk cache is ever installed; Qt's connection pool stays, so repeated calls reuse connections.
    m_manager->setCache(nullptr);
}

HttpSession::~HttpSession() = default;

QCoro::Task<Outcome<HttpResponse, TransportError>> HttpSession::send(HttpRequest request) {
    QNetworkRequest networkRequest(request.url);
    if (m_options.bypassCache) {
        networkRequest.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
        networkRequest.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    }
    for (const auto& [name, value] : request.headers) {
        networkRequest.setRawHeader(name, value);
    }
    if (request.method != "GET") {
        // Qt sends no length for an empty body, and a server may then read until the connection closes.
        networkRequest.setHeader(QNetworkRequest::ContentLengthHeader, request.body.size());
    }
    QNetworkReply* reply = request.body.isEmpty() && request.method == "GET"
                               ? m_manager->get(networkRequest)
                               : m_manager->sendCustomRequest(networkRequest, request.method, request.body);

    const auto state = std::make_shared<ReplyState>();
    const qint64 cap = m_options.maxBodyBytes;
    const auto refuseIfLarger = [reply, state, cap](qint64 size) {
        if (size > cap && !state->tooLarge) {
            state->tooLarge = true;
            reply->abort();
        }
    };
    // A declared length over the cap ends the exchange before any of the body is read.
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, refuseIfLarger] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid()) {
            refuseIfLarger(length.toLongLong());
        }
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, state, refuseIfLarger] {
        if (state->tooLarge) {
            return;
        }
        state->body.append(reply->readAll());
        refuseIfLarger(state->body.size());
    });
    auto deadline = m_timers->start(m_options.deadline, TimerPurpose::requestDeadline, [reply, state] {
        state->timedOut = true;
        reply->abort();
    });

    co_await reply;
    deadline.reset();
    // The coroutine resumes inside the reply's finished signal: the reply must outlive it.
    reply->deleteLater();

    if (state->timedOut) {
        co_return TransportError{TransportError::Kind::timedOut, TransportError::kTimedOutDescription};
    }
    if (state->tooLarge) {
        co_return bodyTooLarge(cap);
    }
    const QNetworkReply::NetworkError error = reply->error();
    if (isConnectionError(error)) {
        co_return transportError(error, reply->errorString());
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        co_return TransportError{TransportError::Kind::notHttp, "The server\u2019s answer was not HTTP."};
    }
    if (!state->tooLarge) {
        state->body.append(reply->readAll());
        if (state->body.size() > cap) {
            co_return bodyTooLarge(cap);
        }
    }
    HttpResponse response;
    response.status = status.toInt();
    for (const auto& [name, value] : reply->rawHeaderPairs()) {
        response.headers.emplace_back(name, value);
    }
    response.body = std::move(state->body);
    co_return response;
}

} // namespace nimbrel
