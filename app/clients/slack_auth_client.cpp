#include "app/clients/slack_auth_client.h"

#include <algorithm>
#include <chrono>

#include "app/clients/overloaded.h"
#include "core/url/url.h"

namespace nimbrel {
namespace {

QUrl claimURL(const QUrl& base) {
    // The same joining of path components as the start link, so both land under one base.
    const std::optional<Url> parsed = Url::parse(base.toString(QUrl::FullyEncoded).toStdString());
    if (!parsed) {
        return base.resolved(QUrl(QStringLiteral("slack/claim")));
    }
    return QUrl(QString::fromStdString(parsed->appendingPathComponents("slack/claim").text()), QUrl::StrictMode);
}

using ClaimOutcome = Outcome<SlackAuthClient::Connection, SlackAuthClient::ClaimError>;
using ClaimError = SlackAuthClient::ClaimError;

QCoro::Task<ClaimOutcome> sendOnce(HttpSession& session, const HttpRequest& request) {
    Outcome<HttpResponse, TransportError> sent = co_await session.send(request);
    if (!sent) {
        if (sent.error().kind == TransportError::Kind::notHttp) {
            co_return ClaimError(ClaimError::BadResponse{});
        }
        co_return ClaimError(sent.error());
    }
    const HttpResponse& response = sent.value();
    if (response.status == 404) {
        co_return ClaimError(ClaimError::ExpiredOrClaimed{});
    }
    if (response.status < 200 || response.status > 299) {
        co_return ClaimError(ClaimError::Http{response.status});
    }
    const auto now = std::chrono::floor<std::chrono::seconds>(session.timers().now());
    std::optional<SlackClaimAnswer> answer = SlackClaimAnswer::read(
        std::string_view(response.body.constData(), static_cast<std::size_t>(response.body.size())), now);
    if (!answer) {
        co_return ClaimError(ClaimError::BadResponse{});
    }
    co_return std::move(*answer);
}

QCoro::Task<ClaimOutcome> perform(std::shared_ptr<HttpSession> session, int maxAttempts, HttpRequest request) {
    for (int attempt = 1;; ++attempt) {
        ClaimOutcome outcome = co_await sendOnce(*session, request);
        if (outcome || attempt >= maxAttempts || !outcome.error().isRetryable()) {
            co_return outcome;
        }
        co_await sleepFor(session->timers(), toMilliseconds(1.5 * attempt), TimerPurpose::retryWait);
    }
}

} // namespace

std::string SlackAuthClient::ClaimError::description() const {
    return std::visit(
        Overloaded{
            [](const Http& http) { return "The Nimbrel service returned HTTP " + std::to_string(http.status) + "."; },
            [](const ExpiredOrClaimed&) { return std::string(kExpiredOrClaimedDescription); },
            [](const BadResponse&) { return std::string(kBadResponseDescription); },
            [](const TransportError& transport) { return transport.description; },
        },
        m_case);
}

bool SlackAuthClient::ClaimError::isRetryable() const noexcept {
    if (as<ExpiredOrClaimed>() != nullptr) {
        return true; // the service may not have stored the token yet when the browser comes back
    }
    if (const auto* http = as<Http>()) {
        return http->status == 429 || (http->status >= 500 && http->status <= 599);
    }
    if (const auto* transport = as<TransportError>()) {
        return transport->isRetryable();
    }
    return false;
}

SlackAuthClient::SlackAuthClient(QUrl base, std::shared_ptr<HttpSession> session, int maxAttempts)
    : m_base(std::move(base))
    , m_session(std::move(session))
    , m_maxAttempts(std::max(1, maxAttempts)) {}

QCoro::Task<Outcome<SlackAuthClient::Connection, SlackAuthClient::ClaimError>>
SlackAuthClient::claim(std::string verifier) const {
    HttpRequest request;
    request.method = "POST";
    request.url = claimURL(m_base);
    request.headers.emplace_back("Content-Type", "application/json");
    request.body = QByteArray::fromStdString(SlackClaimAnswer::requestBody(verifier));
    // The verifier is a secret until the claim is done; keep no copy beyond the request.
    std::fill(verifier.begin(), verifier.end(), '\0');
    co_return co_await perform(m_session, m_maxAttempts, std::move(request));
}

} // namespace nimbrel
