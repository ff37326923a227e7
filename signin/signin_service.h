#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/time/instant.h"
#include "signin/address_rate_limiter.h"
#include "signin/sign_in_store.h"
#include "signin/signin_config.h"
#include "signin/slack_oauth_exchange.h"

namespace nimbrel {

/// One HTTP request as the service reads it, whatever server carried it.
struct SigninRequest {
    std::string method;
    /// The request target as sent: the path and the query, still percent-encoded.
    std::string target;
    std::string body;
    /// The peer of the connection, and the X-Forwarded-For header it sent (values joined by ",").
    std::string peerAddress;
    std::string forwardedFor;
};

/// The answer to one request.
struct SigninResponse {
    int status = 200;
    std::string contentType;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;

    /// The value of a header, if set.
    std::optional<std::string> header(std::string_view name) const;
};

/// The sign-in service's endpoints:
///   GET  /slack/start?state=<challenge>      remember the challenge, send the browser to Slack's consent page
///   GET  /slack/callback?code=…&state=…      exchange the code, hold the token, send the browser to Nimbrel
///   POST /slack/claim {"verifier": "…"}      hand the token held under the verifier's challenge over, once
///   GET  /health                             200 while the service runs
/// Tokens live in memory only and are never logged. Time comes from the injected clock.
class SigninService {
public:
    using Clock = std::function<Instant()>;
    using Log = std::function<void(std::string_view)>;

    /// How long a started sign-in waits for Slack's callback, and a token for its claim.
    static constexpr double kSignInLifetime = 600;
    /// The largest request body (a claim is under 100 bytes) and request target accepted.
    static constexpr std::size_t kMaxBodyBytes = 4096;
    static constexpr std::size_t kMaxTargetBytes = 2048;
    /// The user scopes the program needs: read and write the status, list the workspace's emoji.
    static constexpr std::string_view kUserScopes = "users.profile:read,users.profile:write,emoji:read";
    /// Addresses each endpoint's rate limiter remembers at most.
    static constexpr std::size_t kMaxTrackedAddresses = 20'000;

    /// A service for the configuration, exchanging codes through `exchange` (which must outlive it).
    SigninService(SigninConfig config, SlackOAuthExchange& exchange, Clock clock, Log log);

    /// Answers one request. Never throws for anything a client sends.
    SigninResponse handle(const SigninRequest& request);

    /// The address a request is counted against: the peer, or, when the peer is a trusted proxy, the last
    /// address of X-Forwarded-For (the one that proxy added).
    std::string clientAddress(const SigninRequest& request) const;

    /// Sign-ins in flight now (pending, exchanging or holding a token).
    std::size_t signInsInFlight();

private:
    SigninResponse start(const SigninRequest& request, const std::vector<UrlQueryItem>& query);
    SigninResponse callback(const SigninRequest& request, const std::vector<UrlQueryItem>& query);
    SigninResponse claim(const SigninRequest& request);
    std::optional<SigninResponse> refuseIfTooFrequent(AddressRateLimiter& limiter, const SigninRequest& request,
                                                      bool json);

    SigninConfig m_config;
    SlackOAuthExchange& m_exchange;
    Clock m_clock;
    Log m_log;
    SignInStore m_store;
    AddressRateLimiter m_startLimiter;
    AddressRateLimiter m_callbackLimiter;
    AddressRateLimiter m_claimLimiter;
    std::atomic<bool> m_reportedFull{false};
};

} // namespace nimbrel
