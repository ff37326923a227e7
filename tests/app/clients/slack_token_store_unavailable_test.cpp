#include <gtest/gtest.h>

#include "app/clients/slack_token_store.h"
#include "tests/support/keyring_test_support.h"

// A session bus with no Secret Service on it (no keyring daemon installed or running): every call fails
// with the "unavailable" status, and a read is never mistaken for a missing item.

namespace nimbrel {
namespace {

TEST(SlackTokenStoreWithoutKeyring, EveryCallFailsAsUnavailable) {
    testing::CapturedLog log;
    SlackTokenStore store;

    const SecretLookup read = testing::settled(store.read("T1"));
    ASSERT_TRUE(read.failed());
    EXPECT_EQ(read.error->status, KeychainError::kStatusUnavailable);
    EXPECT_FALSE(read.error->message.empty());

    for (const auto& attempt :
         {store.write(SecretText(std::string_view("xoxp-nowhere")), "T1"), store.deleteToken("T1")}) {
        const auto error = testing::settled(attempt);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->status, KeychainError::kStatusUnavailable) << error->description();
    }
    EXPECT_EQ(log.messages(), std::vector<std::string>{"SlackTokenStore: read failed for T1 (1)"});
}

} // namespace
} // namespace nimbrel
