#include "core/slack/slack_claim_answer.h"

#include <vector>

#include <nlohmann/json.hpp>

#include "core/json/decode_error.h"
#include "core/json/json_reader.h"

namespace nimbrel {
namespace {

std::string textOrEmpty(const nlohmann::json& object, std::string_view key) {
    const auto value = object.find(key);
    return value != object.end() && value->is_string() ? value->get<std::string>() : std::string();
}

std::vector<std::string> scopesOrEmpty(const nlohmann::json& object) {
    const auto value = object.find("scopes");
    if (value == object.end() || !value->is_array()) {
        return {};
    }
    std::vector<std::string> scopes;
    for (const nlohmann::json& scope : *value) {
        if (!scope.is_string()) {
            return {}; // an array of anything but texts is "of another type" as a whole
        }
        scopes.push_back(scope.get<std::string>());
    }
    return scopes;
}

} // namespace

std::optional<SlackClaimAnswer> SlackClaimAnswer::read(std::string_view body, std::chrono::sys_seconds connectedAt) {
    nlohmann::json document;
    try {
        document = parseJsonDocument(body);
    } catch (const DecodeError&) {
        return std::nullopt;
    }
    if (!document.is_object()) {
        return std::nullopt;
    }
    std::string token = textOrEmpty(document, "access_token");
    if (token.empty()) {
        return std::nullopt;
    }
    SlackClaimAnswer answer;
    answer.token = std::move(token);
    answer.account.teamName = textOrEmpty(document, "team_name");
    answer.account.teamID = textOrEmpty(document, "team_id");
    answer.account.userID = textOrEmpty(document, "user_id");
    answer.account.scopes = scopesOrEmpty(document);
    answer.account.connectedAt = connectedAt;
    answer.account.isEnabled = true;
    return answer;
}

std::string SlackClaimAnswer::requestBody(std::string_view verifier) {
    // Replace rather than throw on bytes that are not UTF-8: a verifier is ASCII, but this must not fail.
    return nlohmann::json{{"verifier", verifier}}.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace nimbrel
