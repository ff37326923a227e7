#pragma once

#include <optional>
#include <string>
#include <variant>

#include "app/clients/transport_error.h"

namespace nimbrel {

/// Why a Slack Web API call failed. The four cases of Slack's own answers, and the transport's failure
/// passed through unchanged. Every description is shown to users and written to the log as it stands.
class ServiceError {
public:
    /// An HTTP status outside 200…299 (other than 429).
    struct Http {
        int status = 0;
        friend bool operator==(const Http&, const Http&) = default;
    };
    /// HTTP 429, with the seconds Retry-After asked for when it gave a usable number.
    struct RateLimited {
        std::optional<double> retryAfter;
        friend bool operator==(const RateLimited&, const RateLimited&) = default;
    };
    /// Slack's own error code from an answer without "ok": true.
    struct Slack {
        std::string code;
        friend bool operator==(const Slack&, const Slack&) = default;
    };
    /// An answer that was not HTTP.
    struct BadResponse {
        friend bool operator==(const BadResponse&, const BadResponse&) = default;
    };
    using Case = std::variant<Http, RateLimited, Slack, BadResponse, TransportError>;

    ServiceError(Case value) // NOLINT(google-explicit-constructor): an error is its case
        : m_case(std::move(value)) {}
    static ServiceError http(int status) { return ServiceError(Http{status}); }
    static ServiceError rateLimited(std::optional<double> retryAfter) { return ServiceError(RateLimited{retryAfter}); }
    static ServiceError slack(std::string code) { return ServiceError(Slack{std::move(code)}); }
    static ServiceError badResponse() { return ServiceError(BadResponse{}); }

    /// The payload when the error is of case T, else null.
    template <typename T>
    const T* as() const noexcept {
        return std::get_if<T>(&m_case);
    }
    const Case& value() const noexcept { return m_case; }

    /// "HTTP 503"; "HTTP 429 (rate limited)" or "HTTP 429 (rate limited, retry after 30s)"; Slack's code
    /// itself; "bad response"; or the transport's own description.
    std::string description() const;
    /// Whether the call may be sent again: 429 (whether to wait is decided separately), 5xx, and the
    /// transport failures that can pass.
    bool isRetryable() const noexcept;
    /// Slack's error code, when this is Slack's own error.
    const std::string* slackCode() const noexcept;

    friend bool operator==(const ServiceError&, const ServiceError&) = default;

private:
    Case m_case;
};

} // namespace nimbrel
