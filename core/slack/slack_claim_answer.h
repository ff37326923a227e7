#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "core/nimbrel_core_export.h"
#include "core/slack/slack_account.h"

namespace nimbrel {

/// What the sign-in service hands over when a sign-in is claimed: the user token and the workspace it
/// belongs to.
struct NIMBREL_CORE_EXPORT SlackClaimAnswer {
    /// The Slack user token; never empty.
    std::string token;
    SlackAccount account;

    friend bool operator==(const SlackClaimAnswer&, const SlackClaimAnswer&) = default;

    /// Reads a claim answer's body: a JSON object with a non-empty "access_token" text, and optionally
    /// "team_name", "team_id", "user_id" (text) and "scopes" (texts); an optional key of another type
    /// reads as empty. None for anything else. The account is enabled and connected at `connectedAt`.
    /// Never throws, whatever the bytes.
    static std::optional<SlackClaimAnswer> read(std::string_view body, std::chrono::sys_seconds connectedAt);

    /// The claim request's body: {"verifier": …}.
    static std::string requestBody(std::string_view verifier);
};

} // namespace nimbrel
