#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/http/scripted_http_server.h"

namespace nimbrel::testing {

/// The sign-in service's two doors over real HTTP on 127.0.0.1. GET /slack/start?state=CHALLENGE stands
/// for the whole OAuth round trip: when an automatic grant is set it keeps that grant under the challenge
/// and redirects the browser to nimbrel://auth?state=CHALLENGE. POST /slack/claim {"verifier"} hands a
/// grant over exactly once to the verifier whose challenge it is kept under; otherwise 404.
///
/// Admin path besides the base's: POST /_fake/signin/grant {"verifier", "access_token", "team_name",
/// "team_id", "user_id", "scopes"} keeps a grant for that verifier.
class FakeSignInServer final : public ScriptedHttpServer {
public:
    /// What a finished sign-in hands over.
    struct Grant {
        std::string token;
        std::string teamName;
        std::string teamID;
        std::string userID;
        std::vector<std::string> scopes;

        nlohmann::json toJson() const;
    };

    FakeSignInServer();
    /// Stops serving before the state the handler reads goes away.
    ~FakeSignInServer() override { stop(); }
    FakeSignInServer(const FakeSignInServer&) = delete;
    FakeSignInServer& operator=(const FakeSignInServer&) = delete;

    /// Keeps a grant for the sign-in that `verifier` will claim.
    void addPendingSignIn(const std::string& verifier, Grant grant);
    /// Every /slack/start keeps this grant under its state; none turns it off.
    void setAutomaticGrant(std::optional<Grant> grant);
    /// How many grants wait to be claimed.
    std::size_t pendingCount() const;

protected:
    std::optional<ScriptedResponse> handleAdmin(const RecordedRequest& request) override;

private:
    ScriptedResponse answer(const RecordedRequest& request);

    mutable std::mutex m_stateMutex;
    std::map<std::string, Grant> m_pendingByChallenge;
    std::optional<Grant> m_automaticGrant;
};

} // namespace nimbrel::testing
