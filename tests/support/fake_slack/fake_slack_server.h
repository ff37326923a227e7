#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>

#include "tests/support/http/scripted_http_server.h"

namespace nimbrel::testing {

/// Slack's Web API as the program uses it, over real HTTP on 127.0.0.1: users.profile.get and .set,
/// emoji.list and auth.revoke under /api/, with a profile per user token so that a status set is read
/// back, and the errors Slack gives for missing, unknown and revoked tokens, over-long texts and bad emoji.
/// Scripts (see ScriptedHttpServer) take precedence, and the response builders below make every answer
/// shape Slack is known to give.
///
/// Admin paths besides the base's: POST /_fake/slack/token {"token", "team_id", "user"} adds a user;
/// POST /_fake/slack/status {"token", "status_text", "status_emoji", "status_expiration"} changes a status
/// as the user would by hand; GET /_fake/slack/status?token=… reads it.
class FakeSlackServer final : public ScriptedHttpServer {
public:
    /// One user's profile in one workspace.
    struct Profile {
        std::string teamID;
        std::string userName;
        std::string statusText;
        std::string statusEmoji;
        std::int64_t statusExpiration = 0;
        bool revoked = false;
        /// When each accepted users.profile.set arrived, for the per-user write limit.
        std::deque<std::chrono::steady_clock::time_point> writes;
    };

    FakeSlackServer();
    /// Stops serving before the state the handler reads goes away.
    ~FakeSlackServer() override { stop(); }
    FakeSlackServer(const FakeSlackServer&) = delete;
    FakeSlackServer& operator=(const FakeSlackServer&) = delete;

    /// "http://127.0.0.1:<port>/api/", the base address the program's Slack client takes.
    std::string apiBaseURL() const;

    /// Adds a user token with an empty status.
    void addToken(const std::string& token, const std::string& teamID = "T0001", const std::string& userName = "ada");
    /// Sets a status as the user would in Slack itself.
    void setStatusByHand(const std::string& token, const std::string& text, const std::string& emoji,
                         std::int64_t expiration = 0);
    /// A copy of a token's profile, if the token is known.
    std::optional<Profile> profile(const std::string& token) const;
    /// The workspace's custom emoji, as emoji.list gives them.
    void setCustomEmoji(std::map<std::string, std::string> emoji);
    /// At most this many profile writes per user per minute (Slack's rule is 10); beyond it 429 with the
    /// seconds until a write is free again. 0 turns the limit off (the default).
    void setProfileWritesPerMinute(int limit);

    /// {"ok": true, …extra}.
    static ScriptedResponse ok(const nlohmann::json& extra = nlohmann::json::object());
    /// HTTP 200 {"ok": false, "error": code, …extra}: how Slack reports its own errors.
    static ScriptedResponse error(const std::string& code, const nlohmann::json& extra = nlohmann::json::object());
    /// HTTP 429 with {"ok": false, "error": "ratelimited"} and, when given, a Retry-After header as written.
    static ScriptedResponse rateLimited(const std::optional<std::string>& retryAfter);
    /// The older form: HTTP 200 {"ok": false, "error": "ratelimited"} with no header.
    static ScriptedResponse rateLimitedInBody();
    /// A users.profile.get answer with a status and the extra fields Slack adds.
    static ScriptedResponse profileAnswer(const std::string& text, const std::string& emoji,
                                          std::int64_t expiration = 0);

    static constexpr int kStatusTextLimit = 100;

protected:
    std::optional<ScriptedResponse> handleAdmin(const RecordedRequest& request) override;

private:
    ScriptedResponse answer(const RecordedRequest& request);
    ScriptedResponse setStatus(Profile& profile, const RecordedRequest& request);
    std::optional<ScriptedResponse> adminChange(const std::string& path, const std::string& token,
                                                const nlohmann::json& body);
    static nlohmann::json profileJson(const Profile& profile);

    mutable std::mutex m_stateMutex;
    std::map<std::string, Profile> m_profiles;
    std::map<std::string, std::string> m_customEmoji;
    int m_writesPerMinute = 0;
};

} // namespace nimbrel::testing
