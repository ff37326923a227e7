#include "core/slack/slack_auth_failure.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

TEST(SlackAuthFailure, IsFatal) {
    struct Row {
        std::string code;
        bool fatal;
    };
    const std::vector<Row> rows = {
        {"invalid_auth", true},
        {"not_authed", true},
        {"token_revoked", true},
        {"no_permission", true},
        {"TOKEN_REVOKED", true},
        {"invalid_auth (the token is no longer valid)", true},
        {"account_inactive: deactivated", true},
        {"  not_authed \n", true},
        {"\tno_permission\u00a0extra", true}, // a no-break space is white space too
        {"token_revokedxyz", false},
        {"xinvalid_auth", false},
        {"missing_scope", false},
        {"", false},
        {"   ", false},
        {"(invalid_auth)", false},
        {":not_authed", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(SlackAuthFailure::isFatal(row.code), row.fatal) << '"' << row.code << '"';
    }
}

} // namespace
} // namespace nimbrel
