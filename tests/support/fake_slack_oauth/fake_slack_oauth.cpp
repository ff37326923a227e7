#include "tests/support/fake_slack_oauth/fake_slack_oauth.h"

#include <stdexcept>

#include <httplib.h>
#include <nlohmann/json.hpp>
#include <openssl/evp.h>

#include "core/url/url.h"

namespace nimbrel::testing {

namespace {

void answer(httplib::Response& response, const nlohmann::json& body) {
    response.status = 200;
    response.set_content(body.dump(), "application/json; charset=utf-8");
}

// "Basic base64(id:secret)" → "id:secret"; empty when the header is absent or malformed.
std::string basicCredentials(const httplib::Request& request) {
    const std::string header = request.get_header_value("Authorization");
    if (header.rfind("Basic ", 0) != 0 || header.size() > 1024) {
        return {};
    }
    const std::string encoded = header.substr(6);
    std::string decoded(encoded.size(), '\0');
    const int length =
        EVP_DecodeBlock(reinterpret_cast<unsigned char*>(decoded.data()),
                        reinterpret_cast<const unsigned char*>(encoded.data()), static_cast<int>(encoded.size()));
    if (length < 0) {
        return {};
    }
    decoded.resize(static_cast<std::size_t>(length));
    // EVP_DecodeBlock counts the padding as zero bytes.
    while (!decoded.empty() && decoded.back() == '\0') {
        decoded.pop_back();
    }
    return decoded;
}

} // namespace

FakeSlackOAuth::FakeSlackOAuth(Options options, int port)
    : m_options(std::move(options))
    , m_server(std::make_unique<httplib::Server>()) {
    m_server->Get("/oauth/v2/authorize", [this](const httplib::Request& request, httplib::Response& response) {
        const std::string redirectURI = request.get_param_value("redirect_uri");
        const std::string state = request.get_param_value("state");
        const auto target = nimbrel::Url::parse(redirectURI);
        if (request.get_param_value("client_id") != m_options.clientID || !target || target->query()) {
            response.status = 400;
            response.set_content("invalid_client_id or bad redirect_uri", "text/plain");
            return;
        }
        const std::lock_guard lock(m_mutex);
        std::vector<nimbrel::UrlQueryItem> items;
        if (m_decision == Decision::deny) {
            items = {{"error", "access_denied"}, {"state", state}};
        } else {
            const std::string code = "fake-code-" + std::to_string(++m_issued);
            m_codes[code] = Issued{redirectURI, false};
            items = {{"code", code}, {"state", state}};
        }
        response.status = 302;
        response.set_header("Location", target->withQueryItems(items).text());
    });

    m_server->Post("/api/oauth.v2.access", [this](const httplib::Request& request, httplib::Response& response) {
        const std::lock_guard lock(m_mutex);
        ++m_exchanges;
        if (m_nextError) {
            answer(response, {{"ok", false}, {"error", *m_nextError}});
            m_nextError.reset();
            return;
        }
        std::string credentials = basicCredentials(request);
        if (credentials.empty() && request.has_param("client_id")) {
            credentials = request.get_param_value("client_id") + ":" + request.get_param_value("client_secret");
        }
        const std::size_t colon = credentials.find(':');
        if (colon == std::string::npos || credentials.substr(0, colon) != m_options.clientID) {
            answer(response, {{"ok", false}, {"error", "invalid_client_id"}});
            return;
        }
        if (credentials.substr(colon + 1) != m_options.clientSecret) {
            answer(response, {{"ok", false}, {"error", "bad_client_secret"}});
            return;
        }
        const auto issued = m_codes.find(request.get_param_value("code"));
        if (issued == m_codes.end() || issued->second.used) {
            answer(response, {{"ok", false}, {"error", "invalid_code"}});
            return;
        }
        if (issued->second.redirectURI != request.get_param_value("redirect_uri")) {
            answer(response, {{"ok", false}, {"error", "bad_redirect_uri"}});
            return;
        }
        issued->second.used = true;
        answer(response, {{"ok", true},
                          {"app_id", "A0FAKE"},
                          {"authed_user",
                           {{"id", m_options.userID},
                            {"scope", m_options.scope},
                            {"access_token", m_options.token},
                            {"token_type", "user"}}},
                          {"team", {{"id", m_options.teamID}, {"name", m_options.teamName}}},
                          {"enterprise", nullptr},
                          {"is_enterprise_install", false}});
    });

    m_port =
        port == 0 ? m_server->bind_to_any_port("127.0.0.1") : (m_server->bind_to_port("127.0.0.1", port) ? port : -1);
    if (m_port < 0) {
        throw std::runtime_error("fake Slack OAuth: cannot listen on 127.0.0.1:" + std::to_string(port));
    }
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
}

FakeSlackOAuth::~FakeSlackOAuth() {
    m_server->stop();
    m_thread.join();
}

std::string FakeSlackOAuth::origin() const {
    return "http://127.0.0.1:" + std::to_string(m_port);
}

void FakeSlackOAuth::setDecision(Decision decision) {
    const std::lock_guard lock(m_mutex);
    m_decision = decision;
}

void FakeSlackOAuth::failNextExchange(std::string code) {
    const std::lock_guard lock(m_mutex);
    m_nextError = std::move(code);
}

std::size_t FakeSlackOAuth::exchangeCount() const {
    const std::lock_guard lock(m_mutex);
    return m_exchanges;
}

} // namespace nimbrel::testing
