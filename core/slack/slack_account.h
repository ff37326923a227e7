#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "core/json/json_reader.h"
#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// The record of one connected Slack workspace. The team id is its identity: runtimes, ownership records
/// and keychain items are keyed by it. The token is never part of the record.
struct NIMBREL_CORE_EXPORT SlackAccount {
    /// The workspace's name as Slack reported it at sign-in.
    std::string teamName;
    /// Slack's workspace id; two records denote the same workspace exactly when these are equal.
    std::string teamID;
    /// Slack's id of the signed-in user in that workspace.
    std::string userID;
    /// The OAuth scopes Slack granted, spelled as Slack spells them.
    std::vector<std::string> scopes;
    /// When the account was (last) connected.
    std::optional<std::chrono::sys_seconds> connectedAt;
    /// Whether statuses are posted to this workspace.
    bool isEnabled = true;

    friend bool operator==(const SlackAccount&, const SlackAccount&) = default;

    /// The team name, or the user id when the team name is empty. Messages name a workspace by it.
    const std::string& displayName() const noexcept;
    /// Whether `scopes` holds exactly this scope (case-sensitive, whole element).
    bool hasScope(std::string_view scope) const;

    /// `into` with `account` put in place of the first record of the same team id, keeping that record's
    /// `isEnabled`; appended when no record has that team id.
    static std::vector<SlackAccount> upserting(SlackAccount account, std::vector<SlackAccount> into);

    /// Decodes one record. Every key is optional, but a present key must have its type, or DecodeError is
    /// thrown naming its path. A "connected_at" that is text but no date decodes as no date.
    static SlackAccount fromJson(const nlohmann::json& json, const JsonPath& path = {});
    /// The record as stored; "connected_at" only when there is a date.
    nlohmann::json toJson() const;
};

} // namespace nimbrel
