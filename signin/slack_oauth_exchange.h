#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "signin/slack_grant.h"

namespace nimbrel {

/// Slack's answer to a code exchange: the grant, or the error code the browser is sent back to the program
/// with and a detail for the service's log (never holding a secret).
struct SlackExchangeResult {
    std::optional<SlackGrant> grant;
    std::string errorCode;
    std::string detail;

    static SlackExchangeResult success(SlackGrant grant) { return {std::move(grant), {}, {}}; }
    static SlackExchangeResult failure(std::string code, std::string detail) {
        return {std::nullopt, std::move(code), std::move(detail)};
    }
};

/// Exchanges the code of Slack's redirect for a user token at oauth.v2.access.
class SlackOAuthExchange {
public:
    virtual ~SlackOAuthExchange() = default;

    /// Sends the code and the redirect address it was issued for; blocks until Slack answers or gives up.
    virtual SlackExchangeResult exchange(std::string_view code, std::string_view redirectURL) = 0;

    /// The error code for a failure of ours or the network rather than a refusal by Slack.
    static constexpr std::string_view kExchangeFailed = "exchange_failed";

    /// Reads oauth.v2.access's answer: a user token under "authed_user" and the team, or Slack's error code.
    static SlackExchangeResult readAnswer(int httpStatus, std::string_view body);

    /// Slack's error codes are short snake_case words; anything else is replaced by kExchangeFailed so that
    /// no stranger's text travels on to the program or into a page.
    static std::string safeErrorCode(std::string_view code);
};

} // namespace nimbrel
