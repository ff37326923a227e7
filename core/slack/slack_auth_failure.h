#pragma once

#include <set>
#include <string>
#include <string_view>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// Which of Slack's error codes mean that a stored token is dead and the workspace must be reconnected.
struct NIMBREL_CORE_EXPORT SlackAuthFailure final {
    SlackAuthFailure() = delete;

    /// invalid_auth, not_authed, token_revoked, token_expired, account_inactive, no_permission.
    static const std::set<std::string, std::less<>>& fatalCodes();

    /// Whether the error names a dead token. The code is read case-insensitively, without surrounding white
    /// space, and up to the first white space, "(" or ":", so "invalid_auth (token was revoked)" is fatal.
    static bool isFatal(std::string_view slackError);
};

} // namespace nimbrel
