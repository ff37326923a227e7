#include "tests/support/fake_signin/fake_signin_server.h"

#include "core/slack/slack_auth.h"

namespace nimbrel::testing {

nlohmann::json FakeSignInServer::Grant::toJson() const {
    return {
        {"access_token", token}, {"team_name", teamName}, {"team_id", teamID}, {"user_id", userID}, {"scopes", scopes}};
}

FakeSignInServer::FakeSignInServer() {
    setHandler([this](const RecordedRequest& request) { return answer(request); });
}

void FakeSignInServer::addPendingSignIn(const std::string& verifier, Grant grant) {
    const std::lock_guard lock(m_stateMutex);
    m_pendingByChallenge[SlackAuth::challenge(verifier)] = std::move(grant);
}

void FakeSignInServer::setAutomaticGrant(std::optional<Grant> grant) {
    const std::lock_guard lock(m_stateMutex);
    m_automaticGrant = std::move(grant);
}

std::size_t FakeSignInServer::pendingCount() const {
    const std::lock_guard lock(m_stateMutex);
    return m_pendingByChallenge.size();
}

ScriptedResponse FakeSignInServer::answer(const RecordedRequest& request) {
    if (request.path == "/slack/start" && request.method == "GET") {
        const std::string state = request.param("state");
        if (!SlackAuth::isValidState(state)) {
            return ScriptedResponse::text(400, "missing or malformed state");
        }
        const std::lock_guard lock(m_stateMutex);
        if (!m_automaticGrant) {
            return ScriptedResponse::text(200, "This fake signs nobody in without an automatic grant.");
        }
        m_pendingByChallenge[state] = *m_automaticGrant;
        ScriptedResponse redirect = ScriptedResponse::text(302, "");
        redirect.headers.emplace_back("Location", "nimbrel://auth?state=" + state);
        return redirect;
    }
    if (request.path == "/slack/claim" && request.method == "POST") {
        const nlohmann::json body = nlohmann::json::parse(request.body, nullptr, false);
        if (body.is_discarded() || !body.is_object() || !body.contains("verifier") || !body["verifier"].is_string()) {
            return ScriptedResponse::json(400, {{"error", "bad_request"}});
        }
        const std::lock_guard lock(m_stateMutex);
        const auto found = m_pendingByChallenge.find(SlackAuth::challenge(body["verifier"].get<std::string>()));
        if (found == m_pendingByChallenge.end()) {
            return ScriptedResponse::json(404, {{"error", "not_found"}});
        }
        const nlohmann::json grant = found->second.toJson();
        m_pendingByChallenge.erase(found); // claimed exactly once
        return ScriptedResponse::json(200, grant);
    }
    return ScriptedResponse::json(404, {{"error", "not_found"}});
}

std::optional<ScriptedResponse> FakeSignInServer::handleAdmin(const RecordedRequest& request) {
    if (request.path != "/_fake/signin/grant" || request.method != "POST") {
        return std::nullopt;
    }
    const nlohmann::json body = nlohmann::json::parse(request.body, nullptr, false);
    try {
        Grant grant{body.at("access_token").get<std::string>(), body.value("team_name", ""), body.value("team_id", ""),
                    body.value("user_id", ""), body.value("scopes", std::vector<std::string>{})};
        addPendingSignIn(body.at("verifier").get<std::string>(), std::move(grant));
    } catch (const nlohmann::json::exception&) {
        return ScriptedResponse::json(400, {{"error", "needs verifier and access_token texts"}});
    }
    return ScriptedResponse::json(200, {{"ok", true}});
}

} // namespace nimbrel::testing
