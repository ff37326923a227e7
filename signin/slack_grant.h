#pragma once

#include <string>
#include <vector>

namespace nimbrel {

/// What Slack's token exchange grants for one user: the user token and whose it is. Held in memory only.
struct SlackGrant {
    std::string accessToken;
    std::string teamID;
    std::string teamName;
    std::string userID;
    std::vector<std::string> scopes;

    friend bool operator==(const SlackGrant&, const SlackGrant&) = default;
};

} // namespace nimbrel
