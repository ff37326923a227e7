#pragma once

#include <chrono>
#include <string>

#include "core/url/url.h"
#include "signin/slack_oauth_exchange.h"

namespace nimbrel {

/// The code exchange over HTTP(S): POST to oauth.v2.access, form-encoded, with the client credentials by
/// HTTP Basic. HTTPS verifies Slack's certificate against the system's trust store.
class HttpSlackOAuthExchange final : public SlackOAuthExchange {
public:
    /// Slack's answer is a few hundred bytes; more than this is not Slack.
    static constexpr std::size_t kMaxAnswerBytes = 64 * 1024;

    HttpSlackOAuthExchange(Url accessURL, std::string clientID, std::string clientSecret,
                           std::chrono::seconds timeout = std::chrono::seconds(15));

    SlackExchangeResult exchange(std::string_view code, std::string_view redirectURL) override;

private:
    Url m_accessURL;
    std::string m_clientID;
    std::string m_clientSecret;
    std::chrono::seconds m_timeout;
};

} // namespace nimbrel
