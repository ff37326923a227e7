#include "core/slack/slack_auth_error.h"

#include "core/text/utf8.h"

namespace nimbrel {

std::string SlackAuthError::description() const {
    if (const Slack* slackError = as<Slack>()) {
        // The text comes from a URL anyone can craft; only well-formed UTF-8 reaches the screen.
        return std::string(kSlackPrefix) + Utf8::sanitized(slackError->text);
    }
    if (as<AccessDenied>() != nullptr) {
        return std::string(kAccessDeniedDescription);
    }
    if (as<MalformedCallback>() != nullptr) {
        return std::string(kMalformedCallbackDescription);
    }
    return std::string(kInvalidStateDescription);
}

} // namespace nimbrel
