#include "app/clients/slack_client.h"

#include <algorithm>
#include <variant>

#include <nlohmann/json.hpp>

#include "app/settings/user_defaults.h"
#include "core/ownership/slack_retry_policy.h"
#include "core/ownership/slack_web_answer.h"

namespace nimbrel {
namespace {

// Everything one call needs, by value: a coroutine must not lean on the client object, which its caller
// may drop while the call is in flight.
struct Call {
    std::shared_ptr<HttpSession> session;
    int maxAttempts;
    HttpRequest request;
};

HttpRequest makeRequest(const QUrl& base, const char* method, const QByteArray& httpMethod, const std::string& token) {
    HttpRequest request;
    request.method = httpMethod;
    request.url = base.resolved(QUrl(QString::fromLatin1(method)));
    request.headers.emplace_back("Authorization", "Bearer " + QByteArray::fromStdString(token));
    return request;
}

// One send, read as Slack's answer: the accepted top-level object or the error it amounts to.
QCoro::Task<Outcome<nlohmann::json, ServiceError>> sendOnce(HttpSession& session, const HttpRequest& request) {
    Outcome<HttpResponse, TransportError> sent = co_await session.send(request);
    if (!sent) {
        if (sent.error().kind == TransportError::Kind::notHttp) {
            co_return ServiceError::badResponse();
        }
        co_return ServiceError(sent.error());
    }
    const HttpResponse& response = sent.value();
    if (response.status == 429) {
        const std::optional<QByteArray> header = response.header("Retry-After");
        const std::optional<std::string> text = header ? std::optional(header->toStdString()) : std::nullopt;
        co_return ServiceError::rateLimited(SlackRetryPolicy::retryAfter(text));
    }
    if (response.status < 200 || response.status > 299) {
        co_return ServiceError::http(response.status);
    }
    SlackWebAnswer::Outcome answer = SlackWebAnswer::read(
        std::string_view(response.body.constData(), static_cast<std::size_t>(response.body.size())));
    if (auto* code = std::get_if<std::string>(&answer)) {
        co_return ServiceError::slack(std::move(*code));
    }
    co_return std::get<nlohmann::json>(std::move(answer));
}

// The retry loop: 429 waits only for a short Retry-After, other passing failures back off from 0.5 s.
QCoro::Task<Outcome<nlohmann::json, ServiceError>> perform(Call call) {
    const int attempts = std::max(1, call.maxAttempts);
    for (int attempt = 1;; ++attempt) {
        Outcome<nlohmann::json, ServiceError> outcome = co_await sendOnce(*call.session, call.request);
        if (outcome || attempt >= attempts || !outcome.error().isRetryable()) {
            co_return outcome;
        }
        double wait = 0.5 * static_cast<double>(1LL << std::min(attempt - 1, 30));
        if (const auto* limited = outcome.error().as<ServiceError::RateLimited>()) {
            const std::optional<double> honoured = SlackRetryPolicy::wait(limited->retryAfter);
            if (!honoured) {
                co_return outcome;
            }
            wait = *honoured;
        }
        co_await sleepFor(call.session->timers(), toMilliseconds(wait), TimerPurpose::retryWait);
    }
}

} // namespace

SlackClient::SlackClient(std::string token, std::shared_ptr<HttpSession> session, int maxAttempts, QUrl baseURL)
    : m_token(std::move(token))
    , m_session(std::move(session))
    , m_maxAttempts(std::max(1, maxAttempts))
    , m_baseURL(std::move(baseURL)) {
    // Method names are appended, so the base must end in "/" or its last segment would be replaced.
    if (!m_baseURL.path().endsWith(u'/')) {
        m_baseURL.setPath(m_baseURL.path() + u'/');
    }
}

SlackClient::SlackClient(std::string token, std::shared_ptr<HttpSession> session, int maxAttempts)
    : SlackClient(std::move(token), std::move(session), maxAttempts, baseURL()) {}

QUrl SlackClient::baseURL() {
    QUrl url =
        UserDefaults::httpAddress(UserDefaults::kSlackBaseURL).value_or(QUrl(QString::fromLatin1(kDefaultBaseURL)));
    if (!url.path().endsWith(u'/')) {
        url.setPath(url.path() + u'/');
    }
    return url;
}

QCoro::Task<SlackClient::Result<SlackStatus>> SlackClient::getStatus() const {
    Call call{m_session, m_maxAttempts, makeRequest(m_baseURL, "users.profile.get", "GET", m_token)};
    Outcome<nlohmann::json, ServiceError> outcome = co_await perform(std::move(call));
    if (!outcome) {
        co_return outcome.error();
    }
    co_return SlackWebAnswer::profileStatus(outcome.value()).value_or(SlackStatus::empty());
}

QCoro::Task<SlackClient::Result<SlackStatus>> SlackClient::setStatus(SlackStatus status) const {
    Call call{m_session, m_maxAttempts, makeRequest(m_baseURL, "users.profile.set", "POST", m_token)};
    call.request.headers.emplace_back("Content-Type", "application/json; charset=utf-8");
    // Bytes that are not UTF-8 are replaced rather than refused: a status line is never worth a crash.
    call.request.body = QByteArray::fromStdString(
        SlackWebAnswer::profileSetBody(status).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    Outcome<nlohmann::json, ServiceError> outcome = co_await perform(std::move(call));
    if (!outcome) {
        co_return outcome.error();
    }
    co_return SlackWebAnswer::profileStatus(outcome.value()).value_or(SlackWebAnswer::asSent(status));
}

QCoro::Task<SlackClient::Result<SlackClient::EmojiMap>> SlackClient::listEmoji() const {
    Call call{m_session, m_maxAttempts, makeRequest(m_baseURL, "emoji.list", "GET", m_token)};
    Outcome<nlohmann::json, ServiceError> outcome = co_await perform(std::move(call));
    if (!outcome) {
        co_return outcome.error();
    }
    co_return SlackWebAnswer::emoji(outcome.value());
}

QCoro::Task<SlackClient::Result<std::monostate>> SlackClient::revoke() const {
    Call call{m_session, m_maxAttempts, makeRequest(m_baseURL, "auth.revoke", "POST", m_token)};
    Outcome<nlohmann::json, ServiceError> outcome = co_await perform(std::move(call));
    if (!outcome) {
        co_return outcome.error();
    }
    // Spelled out: QCoro keeps a bare std::monostate as "no result yet", and the task would never finish.
    co_return Result<std::monostate>(std::monostate{});
}

} // namespace nimbrel
