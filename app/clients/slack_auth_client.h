#pragma once

#include <QUrl>
#include <memory>
#include <string>
#include <variant>

#include <qcoro/qcorotask.h>

#include "app/clients/http_session.h"
#include "app/clients/outcome.h"
#include "app/clients/transport_error.h"
#include "core/slack/slack_claim_answer.h"

namespace nimbrel {

/// Claims a finished sign-in from the sign-in service: one POST that hands over the verifier and gets the
/// Slack user token and the workspace back, exactly once.
class SlackAuthClient {
public:
    /// A successful claim: the token (never empty) and the workspace's record.
    using Connection = SlackClaimAnswer;

    /// Why a claim failed; its description is shown on the connect screen and logged.
    class ClaimError {
    public:
        struct Http {
            int status = 0;
            friend bool operator==(const Http&, const Http&) = default;
        };
        struct ExpiredOrClaimed {
            friend bool operator==(const ExpiredOrClaimed&, const ExpiredOrClaimed&) = default;
        };
        struct BadResponse {
            friend bool operator==(const BadResponse&, const BadResponse&) = default;
        };
        using Case = std::variant<Http, ExpiredOrClaimed, BadResponse, TransportError>;

        ClaimError(Case value) // NOLINT(google-explicit-constructor): an error is its case
            : m_case(std::move(value)) {}

        template <typename T>
        const T* as() const noexcept {
            return std::get_if<T>(&m_case);
        }
        /// "The Nimbrel service returned HTTP 500.", "That sign-in has already been used or has expired. Try
        /// connecting again.", "The Nimbrel service sent something unexpected.", or the transport's own.
        std::string description() const;
        /// 404, 429, 5xx and the transport failures that can pass are worth another attempt.
        bool isRetryable() const noexcept;

        friend bool operator==(const ClaimError&, const ClaimError&) = default;

    private:
        Case m_case;
    };

    static constexpr const char* kExpiredOrClaimedDescription =
        "That sign-in has already been used or has expired. Try connecting again.";
    static constexpr const char* kBadResponseDescription = "The Nimbrel service sent something unexpected.";

    SlackAuthClient(QUrl base, std::shared_ptr<HttpSession> session, int maxAttempts);

    /// POSTs {"verifier": …} to base/slack/claim, retrying as isRetryable says after 1.5 s, 3 s, …
    QCoro::Task<Outcome<Connection, ClaimError>> claim(std::string verifier) const;

    const QUrl& base() const noexcept { return m_base; }

private:
    QUrl m_base;
    std::shared_ptr<HttpSession> m_session;
    int m_maxAttempts;
};

} // namespace nimbrel
