#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/clients/slack_api.h"
#include "core/ownership/rate_limit_window.h"

namespace nimbrel {

/// What the engine keeps for one connected workspace: its Web API client, its pacing budget and whether
/// Slack has rejected its token. A value: the write path looks it up by team id whenever it needs it, so
/// nothing holds a runtime across a network call.
struct SlackWorkspaceRuntime {
    /// One profile write per 6 seconds per workspace keeps well under Slack's own limit.
    static constexpr int kWritesPerWindow = 1;
    static constexpr double kWriteWindowSeconds = 6.0;
    /// What `needsReauth` says when the keyring held no token for the workspace.
    static constexpr std::string_view kNoStoredToken = "no stored token";

    std::shared_ptr<const SlackApi> client;
    /// The Slack error code that rejected the token (or kNoStoredToken); none while the token is good.
    std::optional<std::string> needsReauth;
    RateLimitWindow writeBudget{kWritesPerWindow, kWriteWindowSeconds};
    /// A deferral has been logged and no write has been granted since.
    bool loggedBudgetExhaustion = false;

    /// A rejected workspace is neither posted to nor finished until it is retried or reconnected.
    bool isRejected() const noexcept { return needsReauth.has_value(); }
};

} // namespace nimbrel
