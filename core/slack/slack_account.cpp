#include "core/slack/slack_account.h"

#include <algorithm>
#include <utility>

#include <nlohmann/json.hpp>

#include "core/json/iso8601.h"

namespace nimbrel {
namespace {

constexpr std::string_view kTeamNameKey = "team_name";
constexpr std::string_view kTeamIDKey = "team_id";
constexpr std::string_view kUserIDKey = "user_id";
constexpr std::string_view kScopesKey = "scopes";
constexpr std::string_view kConnectedAtKey = "connected_at";
constexpr std::string_view kIsEnabledKey = "is_enabled";

} // namespace

const std::string& SlackAccount::displayName() const noexcept {
    return teamName.empty() ? userID : teamName;
}

bool SlackAccount::hasScope(std::string_view scope) const {
    return std::find(scopes.begin(), scopes.end(), scope) != scopes.end();
}

std::vector<SlackAccount> SlackAccount::upserting(SlackAccount account, std::vector<SlackAccount> into) {
    const auto existing = std::find_if(into.begin(), into.end(),
                                       [&](const SlackAccount& element) { return element.teamID == account.teamID; });
    if (existing == into.end()) {
        into.push_back(std::move(account));
        return into;
    }
    // A reconnect refreshes the workspace's details but must not switch posting back on behind the
    // user's back.
    account.isEnabled = existing->isEnabled;
    *existing = std::move(account);
    return into;
}

SlackAccount SlackAccount::fromJson(const nlohmann::json& json, const JsonPath& path) {
    const JsonObjectReader reader(json, path);
    SlackAccount account;
    account.teamName = reader.optionalString(kTeamNameKey).value_or(std::string());
    account.teamID = reader.optionalString(kTeamIDKey).value_or(std::string());
    account.userID = reader.optionalString(kUserIDKey).value_or(std::string());
    if (const nlohmann::json* scopes = reader.optionalArray(kScopesKey)) {
        const JsonPath scopesPath = path.key(kScopesKey);
        for (std::size_t index = 0; index < scopes->size(); ++index) {
            account.scopes.push_back(JsonObjectReader::stringValue((*scopes)[index], scopesPath.index(index)));
        }
    }
    if (const auto connectedAt = reader.optionalString(kConnectedAtKey)) {
        // A date we cannot read is dropped rather than failing the whole configuration: it is only shown.
        account.connectedAt = Iso8601::parse(*connectedAt);
    }
    account.isEnabled = reader.optionalBool(kIsEnabledKey).value_or(true);
    return account;
}

nlohmann::json SlackAccount::toJson() const {
    nlohmann::json json = nlohmann::json::object();
    json[kTeamNameKey] = teamName;
    json[kTeamIDKey] = teamID;
    json[kUserIDKey] = userID;
    json[kScopesKey] = scopes;
    if (connectedAt) {
        json[kConnectedAtKey] = Iso8601::format(*connectedAt);
    }
    json[kIsEnabledKey] = isEnabled;
    return json;
}

} // namespace nimbrel
