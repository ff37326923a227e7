#include "tests/support/fake_slack/fake_slack_server.h"

#include <regex>

#include "core/text/graphemes.h"

namespace nimbrel::testing {
namespace {

constexpr std::string_view kApiPrefix = "/api/";

// A shortcode as Slack accepts one: ":name:", optionally followed by a skin tone ":skin-tone-2:".
bool isShortcode(const std::string& emoji) {
    static const std::regex pattern(R"(^:[a-z0-9_+'\-]+:(:skin-tone-[2-6]:)?$)");
    return std::regex_match(emoji, pattern);
}

} // namespace

FakeSlackServer::FakeSlackServer() {
    setHandler([this](const RecordedRequest& request) { return answer(request); });
}

std::string FakeSlackServer::apiBaseURL() const {
    return baseURL() + std::string(kApiPrefix);
}

void FakeSlackServer::addToken(const std::string& token, const std::string& teamID, const std::string& userName) {
    const std::lock_guard lock(m_stateMutex);
    Profile profile;
    profile.teamID = teamID;
    profile.userName = userName;
    m_profiles[token] = std::move(profile);
}

void FakeSlackServer::setStatusByHand(const std::string& token, const std::string& text, const std::string& emoji,
                                      std::int64_t expiration) {
    const std::lock_guard lock(m_stateMutex);
    Profile& profile = m_profiles[token];
    profile.statusText = text;
    profile.statusEmoji = emoji;
    profile.statusExpiration = expiration;
}

std::optional<FakeSlackServer::Profile> FakeSlackServer::profile(const std::string& token) const {
    const std::lock_guard lock(m_stateMutex);
    const auto found = m_profiles.find(token);
    if (found == m_profiles.end()) {
        return std::nullopt;
    }
    return found->second;
}

void FakeSlackServer::setCustomEmoji(std::map<std::string, std::string> emoji) {
    const std::lock_guard lock(m_stateMutex);
    m_customEmoji = std::move(emoji);
}

void FakeSlackServer::setProfileWritesPerMinute(int limit) {
    const std::lock_guard lock(m_stateMutex);
    m_writesPerMinute = limit;
}

ScriptedResponse FakeSlackServer::ok(const nlohmann::json& extra) {
    nlohmann::json body = {{"ok", true}};
    body.update(extra);
    return ScriptedResponse::json(200, body);
}

ScriptedResponse FakeSlackServer::error(const std::string& code, const nlohmann::json& extra) {
    nlohmann::json body = {{"ok", false}, {"error", code}};
    body.update(extra);
    return ScriptedResponse::json(200, body);
}

ScriptedResponse FakeSlackServer::rateLimited(const std::optional<std::string>& retryAfter) {
    ScriptedResponse response = ScriptedResponse::json(429, {{"ok", false}, {"error", "ratelimited"}});
    if (retryAfter) {
        response.headers.emplace_back("Retry-After", *retryAfter);
    }
    return response;
}

ScriptedResponse FakeSlackServer::rateLimitedInBody() {
    return error("ratelimited");
}

ScriptedResponse FakeSlackServer::profileAnswer(const std::string& text, const std::string& emoji,
                                                std::int64_t expiration) {
    Profile profile;
    profile.userName = "ada";
    profile.statusText = text;
    profile.statusEmoji = emoji;
    profile.statusExpiration = expiration;
    return ok({{"profile", profileJson(profile)}});
}

nlohmann::json FakeSlackServer::profileJson(const Profile& profile) {
    return {{"status_text", profile.statusText},
            {"status_emoji", profile.statusEmoji},
            {"status_expiration", profile.statusExpiration},
            {"status_emoji_display_info", nlohmann::json::array()},
            {"display_name", profile.userName},
            {"real_name", profile.userName}};
}

ScriptedResponse FakeSlackServer::answer(const RecordedRequest& request) {
    if (!request.path.starts_with(kApiPrefix)) {
        return ScriptedResponse::text(404, "");
    }
    const std::string method = request.path.substr(kApiPrefix.size());
    const std::string authorization = request.header("Authorization");
    if (!authorization.starts_with("Bearer ") || authorization.size() == 7) {
        return error("not_authed");
    }
    const std::string token = authorization.substr(7);

    const std::lock_guard lock(m_stateMutex);
    const auto found = m_profiles.find(token);
    if (found == m_profiles.end()) {
        return error("invalid_auth");
    }
    Profile& profile = found->second;
    if (profile.revoked) {
        return error("token_revoked");
    }
    if (method == "users.profile.get") {
        // Slack clears an expired status itself.
        const auto now =
            std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
                .count();
        if (profile.statusExpiration > 0 && profile.statusExpiration <= now) {
            profile.statusText.clear();
            profile.statusEmoji.clear();
            profile.statusExpiration = 0;
        }
        return ok({{"profile", profileJson(profile)}});
    }
    if (method == "users.profile.set") {
        if (request.method != "POST") {
            return error("invalid_request");
        }
        return setStatus(profile, request);
    }
    if (method == "emoji.list") {
        return ok({{"emoji", m_customEmoji}, {"cache_ts", "1700000000.000000"}});
    }
    if (method == "auth.revoke") {
        profile.revoked = true;
        return ok({{"revoked", true}});
    }
    return error("unknown_method");
}

ScriptedResponse FakeSlackServer::setStatus(Profile& profile, const RecordedRequest& request) {
    const nlohmann::json body = nlohmann::json::parse(request.body, nullptr, false);
    if (body.is_discarded() || !body.is_object() || !body.contains("profile") || !body["profile"].is_object()) {
        return error("invalid_profile");
    }
    const nlohmann::json& fields = body["profile"];
    std::string text;
    std::string emoji;
    std::int64_t expiration = 0;
    try {
        text = fields.value("status_text", profile.statusText);
        emoji = fields.value("status_emoji", profile.statusEmoji);
        expiration = fields.value("status_expiration", profile.statusExpiration);
    } catch (const nlohmann::json::exception&) {
        return error("invalid_profile");
    }
    if (Graphemes::count(text) > static_cast<std::size_t>(kStatusTextLimit)) {
        return error("too_long", {{"limit", kStatusTextLimit}, {"field", "status_text"}});
    }
    if (!emoji.empty() && !isShortcode(emoji)) {
        return error("profile_status_set_failed_not_valid_emoji");
    }
    if (m_writesPerMinute > 0) {
        const auto now = std::chrono::steady_clock::now();
        while (!profile.writes.empty() && now - profile.writes.front() >= std::chrono::minutes{1}) {
            profile.writes.pop_front();
        }
        if (profile.writes.size() >= static_cast<std::size_t>(m_writesPerMinute)) {
            const auto free = profile.writes.front() + std::chrono::minutes{1} - now;
            const auto seconds = std::chrono::ceil<std::chrono::seconds>(free).count();
            return rateLimited(std::to_string(std::max<std::int64_t>(1, seconds)));
        }
        profile.writes.push_back(now);
    }
    profile.statusText = text;
    profile.statusEmoji = emoji;
    profile.statusExpiration = expiration;
    return ok({{"username", profile.userName}, {"profile", profileJson(profile)}});
}

std::optional<ScriptedResponse> FakeSlackServer::handleAdmin(const RecordedRequest& request) {
    if (request.path == "/_fake/slack/status" && request.method == "GET") {
        const auto found = profile(request.param("token"));
        if (!found) {
            return ScriptedResponse::json(404, {{"error", "unknown token"}});
        }
        return ScriptedResponse::json(200, profileJson(*found));
    }
    const nlohmann::json body = nlohmann::json::parse(request.body, nullptr, false);
    if (body.is_discarded() || !body.is_object() || !body.contains("token") || !body["token"].is_string()) {
        return ScriptedResponse::json(400, {{"error", "the body must be a JSON object with a token"}});
    }
    const std::string token = body["token"];
    try {
        return adminChange(request.path, token, body);
    } catch (const nlohmann::json::exception&) {
        return ScriptedResponse::json(400, {{"error", "a field has the wrong type"}});
    }
}

std::optional<ScriptedResponse> FakeSlackServer::adminChange(const std::string& path, const std::string& token,
                                                             const nlohmann::json& body) {
    if (path == "/_fake/slack/token") {
        addToken(token, body.value("team_id", "T0001"), body.value("user", "ada"));
        return ScriptedResponse::json(200, {{"ok", true}});
    }
    if (path == "/_fake/slack/status") {
        setStatusByHand(token, body.value("status_text", ""), body.value("status_emoji", ""),
                        body.value("status_expiration", std::int64_t{0}));
        return ScriptedResponse::json(200, {{"ok", true}});
    }
    return std::nullopt;
}

} // namespace nimbrel::testing
