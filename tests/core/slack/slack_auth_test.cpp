#include "core/slack/slack_auth.h"

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

// RFC 7636, appendix B.
constexpr std::string_view kRfcVerifier = "dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk";
constexpr std::string_view kRfcChallenge = "E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM";

const std::string kValidState(kRfcChallenge);

TEST(SlackAuthVerifier, ChallengeMatchesTheS256TestVectors) {
    EXPECT_EQ(SlackAuth::challenge(kRfcVerifier), kRfcChallenge);
    // SHA-256 of the empty text in unpadded URL-safe Base64.
    EXPECT_EQ(SlackAuth::challenge(""), "47DEQpj8HBSa-_TImW-5JCeuQeRkm5NMpJWZG3hSuFU");
}

TEST(SlackAuthVerifier, EachVerifierIsNewAndValid) {
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        const std::string verifier = SlackAuth::makeVerifier();
        EXPECT_EQ(verifier.size(), SlackAuth::stateLength);
        EXPECT_TRUE(SlackAuth::isValidState(verifier)) << verifier;
        EXPECT_TRUE(SlackAuth::isValidState(SlackAuth::challenge(verifier)));
        EXPECT_TRUE(seen.insert(verifier).second) << "repeated verifier " << verifier;
    }
}

TEST(SlackAuthState, Validity) {
    struct Row {
        std::string state;
        bool valid;
    };
    const std::string base = "abcdefghijABCDEFGHIJ0123456789-_abcdefghij"; // 42 characters
    ASSERT_EQ(base.size(), 42u);
    const std::vector<Row> rows = {
        {base + "k", true},       {base, false},
        {base + "kl", false},     {base + "+", false},
        {base + " ", false},      {base.substr(1) + "\u00e9", false}, // 43 characters, one of them not ASCII
        {base + "\u00e9", false}, {"", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(SlackAuth::isValidState(row.state), row.valid) << row.state;
    }
}

TEST(SlackAuthStartURL, KeepsBasePathReplacesQueryAndNeedsAValidStateAndAnAbsoluteBase) {
    const auto startURL = [](const char* base, const std::string& state) {
        const std::optional<Url> parsed = Url::parse(base);
        EXPECT_TRUE(parsed) << base;
        const std::optional<Url> link = parsed ? SlackAuth::startURL(*parsed, state) : std::nullopt;
        return link ? link->text() : "<none>";
    };
    EXPECT_EQ(startURL("https://signin.example.com", kValidState),
              "https://signin.example.com/slack/start?state=" + kValidState);
    EXPECT_EQ(startURL("http://127.0.0.1:8080/api/?old=1", kValidState),
              "http://127.0.0.1:8080/api/slack/start?state=" + kValidState);
    EXPECT_EQ(startURL("https://signin.example.com", "abc"), "<none>");
    EXPECT_EQ(startURL("https://signin.example.com", kValidState + "="), "<none>");
    EXPECT_EQ(startURL("just/a/path", kValidState), "<none>");
}

SlackAuth::CallbackResult success(const std::string& state) {
    return SlackAuth::CallbackResult::success(state);
}

SlackAuth::CallbackResult failure(SlackAuthError error) {
    return SlackAuth::CallbackResult::failure(std::move(error));
}

TEST(SlackAuthCallback, EveryCase) {
    struct Row {
        std::string address;
        SlackAuth::CallbackResult expected;
    };
    const std::string s = kValidState;
    const SlackAuth::CallbackResult malformed = failure(SlackAuthError::malformedCallback());
    const std::vector<Row> rows = {
        // success, scheme and host in any case, path ignored
        {"nimbrel://auth?state=" + s, success(s)},
        {"Nimbrel://Auth/callback/anything?state=" + s, success(s)},
        {"nimbrel://auth?other=1&state=" + s + "&more", success(s)},
        // a percent-encoded state is read decoded
        {"nimbrel://auth?state=" + s.substr(0, 42) + "%4D", success(s.substr(0, 42) + "M")},
        // not ours
        {"nimbrel://login?state=" + s, malformed},
        {"https://auth?state=" + s, malformed},
        {"nimbrel:auth?state=" + s, malformed},
        {"nimbrel://auth.example?state=" + s, malformed},
        {"not a url at all", malformed},
        {"nimbrel://auth?state=%zz", malformed},
        // neither state nor error
        {"nimbrel://auth", malformed},
        {"nimbrel://auth?code=123", malformed},
        {"nimbrel://auth?state=", malformed},
        {"nimbrel://auth?error=&state", malformed},
        // errors win over the state
        {"nimbrel://auth?error=access_denied", failure(SlackAuthError::accessDenied())},
        {"nimbrel://auth?state=" + s + "&error=access_denied", failure(SlackAuthError::accessDenied())},
        {"nimbrel://auth?error=ACCESS_DENIED", failure(SlackAuthError::slack("ACCESS_DENIED"))},
        {"nimbrel://auth?error=invalid_code&state=" + s, failure(SlackAuthError::slack("invalid_code"))},
        {"nimbrel://auth?error=team%20not%20allowed", failure(SlackAuthError::slack("team not allowed"))},
        // only the first item of a name counts; an empty first one counts as absent
        {"nimbrel://auth?error=&error=access_denied&state=" + s, success(s)},
        {"nimbrel://auth?error&error=access_denied&state=" + s, success(s)},
        {"nimbrel://auth?error=bad_thing&error=access_denied", failure(SlackAuthError::slack("bad_thing"))},
        {"nimbrel://auth?state=&state=" + s, malformed},
        {"nimbrel://auth?state=abc&state=" + s, failure(SlackAuthError::invalidState())},
        {"nimbrel://auth?state=" + s + "&state=abc", success(s)},
        // a state that no verifier could have produced
        {"nimbrel://auth?state=abc", failure(SlackAuthError::invalidState())},
        {"nimbrel://auth?state=" + s.substr(0, 42) + "%2B", failure(SlackAuthError::invalidState())},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(SlackAuth::parseCallback(row.address), row.expected) << row.address;
    }
}

TEST(SlackAuthError, DescriptionsAreDistinctAndCarrySlacksCode) {
    const std::set<std::string> descriptions = {
        SlackAuthError::slack("invalid_code").description(), SlackAuthError::accessDenied().description(),
        SlackAuthError::malformedCallback().description(), SlackAuthError::invalidState().description()};
    EXPECT_EQ(descriptions.size(), 4u);
    EXPECT_NE(SlackAuthError::slack("invalid_code").description().find("invalid_code"), std::string::npos);
    // A crafted callback cannot put broken UTF-8 on the screen.
    const SlackAuth::CallbackResult crafted = SlackAuth::parseCallback("nimbrel://auth?error=%FF");
    ASSERT_NE(crafted.error(), nullptr);
    EXPECT_EQ(crafted.error()->description(), "Slack returned an error: \uFFFD");
}

} // namespace
} // namespace nimbrel
