#include "signin/http_slack_oauth_exchange.h"

#include <httplib.h>

namespace nimbrel {

HttpSlackOAuthExchange::HttpSlackOAuthExchange(Url accessURL, std::string clientID, std::string clientSecret,
                                               std::chrono::seconds timeout)
    : m_accessURL(std::move(accessURL))
    , m_clientID(std::move(clientID))
    , m_clientSecret(std::move(clientSecret))
    , m_timeout(timeout) {}

SlackExchangeResult HttpSlackOAuthExchange::exchange(std::string_view code, std::string_view redirectURL) {
    // The address was checked at start-up: http(s) with a host and no query.
    std::string origin = m_accessURL.scheme() + "://";
    const std::string host = m_accessURL.host().value_or("");
    origin += host.find(':') != std::string::npos ? "[" + host + "]" : host;
    if (const auto port = m_accessURL.port()) {
        origin += ":" + std::to_string(*port);
    }
    httplib::Client client(origin);
    client.set_connection_timeout(m_timeout);
    client.set_read_timeout(m_timeout);
    client.set_write_timeout(m_timeout);
    client.set_follow_location(false);
    client.set_basic_auth(m_clientID, m_clientSecret);

    httplib::Request request;
    request.method = "POST";
    request.path = m_accessURL.path().empty() ? "/" : m_accessURL.path();
    request.body = "code=" + Url::percentEncode(code) + "&redirect_uri=" + Url::percentEncode(redirectURL);
    request.set_header("Content-Type", "application/x-www-form-urlencoded");
    request.set_header("Accept", "application/json");
    std::string answer;
    bool tooLarge = false;
    request.content_receiver = [&](const char* data, std::size_t length, std::uint64_t, std::uint64_t) {
        if (answer.size() + length > kMaxAnswerBytes) {
            tooLarge = true;
            return false;
        }
        answer.append(data, length);
        return true;
    };

    const httplib::Result result = client.send(request);
    if (tooLarge) {
        return SlackExchangeResult::failure(std::string(kExchangeFailed), "Slack's answer was larger than 64 KiB");
    }
    if (!result) {
        return SlackExchangeResult::failure(std::string(kExchangeFailed),
                                            "could not reach " + origin + ": " + httplib::to_string(result.error()));
    }
    return readAnswer(result->status, answer);
}

} // namespace nimbrel
