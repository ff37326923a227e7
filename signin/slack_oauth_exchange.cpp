#include "signin/slack_oauth_exchange.h"

#include <algorithm>
#include <cctype>

#include <nlohmann/json.hpp>

namespace nimbrel {

namespace {

constexpr std::size_t kMaxErrorCodeLength = 64;

std::string textAt(const nlohmann::json& object, std::string_view key) {
    if (!object.is_object()) {
        return {};
    }
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

std::vector<std::string> scopesOf(std::string_view list) {
    std::vector<std::string> scopes;
    while (!list.empty()) {
        const std::size_t comma = std::min(list.find(','), list.size());
        std::string_view scope = list.substr(0, comma);
        while (!scope.empty() && scope.front() == ' ') {
            scope.remove_prefix(1);
        }
        while (!scope.empty() && scope.back() == ' ') {
            scope.remove_suffix(1);
        }
        if (!scope.empty()) {
            scopes.emplace_back(scope);
        }
        list.remove_prefix(std::min(comma + 1, list.size()));
    }
    return scopes;
}

} // namespace

std::string SlackOAuthExchange::safeErrorCode(std::string_view code) {
    const bool safe =
        !code.empty() && code.size() <= kMaxErrorCodeLength && std::all_of(code.begin(), code.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '-' || c == '.';
        });
    return safe ? std::string(code) : std::string(kExchangeFailed);
}

SlackExchangeResult SlackOAuthExchange::readAnswer(int httpStatus, std::string_view body) {
    if (httpStatus != 200) {
        return SlackExchangeResult::failure(std::string(kExchangeFailed),
                                            "Slack answered HTTP " + std::to_string(httpStatus));
    }
    const nlohmann::json answer = nlohmann::json::parse(body, nullptr, false);
    if (answer.is_discarded() || !answer.is_object()) {
        return SlackExchangeResult::failure(std::string(kExchangeFailed), "Slack's answer is not a JSON object");
    }
    const auto ok = answer.find("ok");
    if (ok == answer.end() || !ok->is_boolean() || !ok->get<bool>()) {
        const std::string code = textAt(answer, "error");
        return SlackExchangeResult::failure(safeErrorCode(code), "Slack refused the exchange: " + safeErrorCode(code));
    }
    const auto user = answer.find("authed_user");
    if (user == answer.end() || textAt(*user, "access_token").empty()) {
        return SlackExchangeResult::failure(std::string(kExchangeFailed),
                                            "Slack's answer holds no user token (are user scopes requested?)");
    }
    const auto team = answer.find("team");
    const nlohmann::json noTeam;
    const nlohmann::json& teamObject = team != answer.end() ? *team : noTeam;
    return SlackExchangeResult::success(SlackGrant{textAt(*user, "access_token"), textAt(teamObject, "id"),
                                                   textAt(teamObject, "name"), textAt(*user, "id"),
                                                   scopesOf(textAt(*user, "scope"))});
}

} // namespace nimbrel
