#include "core/slack/slack_auth_failure.h"

#include "core/text/casing.h"
#include "core/text/unicode_properties.h"
#include "core/text/utf8.h"
#include "core/text/whitespace.h"

namespace nimbrel {

const std::set<std::string, std::less<>>& SlackAuthFailure::fatalCodes() {
    static const std::set<std::string, std::less<>> codes = {"invalid_auth",  "not_authed",       "token_revoked",
                                                             "token_expired", "account_inactive", "no_permission"};
    return codes;
}

bool SlackAuthFailure::isFatal(std::string_view slackError) {
    const std::string lowered = Casing::lowercased(Whitespace::trimmed(slackError));
    std::string_view code = lowered;
    for (std::size_t offset = 0; offset < lowered.size();) {
        const std::size_t start = offset;
        const char32_t scalar = Utf8::decodeNext(lowered, offset);
        if (scalar == U'(' || scalar == U':' || UnicodeProperties::isWhitespace(scalar)) {
            code = code.substr(0, start);
            break;
        }
    }
    return fatalCodes().contains(code);
}

} // namespace nimbrel
