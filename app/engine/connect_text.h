#pragma once

#include <string>
#include <string_view>

#include "core/slack/slack_auth_error.h"

namespace nimbrel {

/// The messages and log lines of connecting and disconnecting workspaces, built in one place so that tests
/// assert them and nobody retypes them.
struct ConnectText {
    ConnectText() = delete;

    // ---- Messages of a failed attempt, shown on the accounts screen and by `nimbrel connect`
    /// The build was never given a sign-in service address. macOS names `defaults write`; here the
    /// override lives in the settings file (or the environment variable of the same name).
    static constexpr std::string_view kServiceNotSet =
        "The Nimbrel service URL hasn\u2019t been set in this build. Deploy the worker and set NIMBREL_SIGNIN_URL, "
        "or point this build at it by adding NimbrelAPIBaseURL=https://signin.example.com under [General] in "
        "~/.config/quillmoor/nimbrel.conf and starting Nimbrel again";
    static constexpr std::string_view kNoLink = "Couldn\u2019t build the sign-in link. Check the Nimbrel service URL.";

    // ---- Log lines
    static constexpr std::string_view kIgnoringCallback = "connect: ignoring a callback with no connect in flight";
    static constexpr std::string_view kStateMismatch = "connect: callback state didn't match the pending request";
    /// "connect: malformedCallback", "connect: slack("ratelimited")": the refusal as its case, Slack's text
    /// quoted with control characters escaped (it arrives in an address anybody can open) and shortened.
    static std::string callbackRefused(const SlackAuthError& error);
    /// "connect: claim failed — " + description; also a keyring that refused the token.
    static std::string claimFailed(std::string_view description);
    static std::string connected(std::string_view teamID);
    static std::string refreshed(std::string_view teamID);
    /// "connect: in-app session unavailable (reason) — falling back to the default browser".
    static std::string browserFallback(std::string_view reason);
    /// "connect: couldn’t make a verifier — reason": the system's random source failed.
    static std::string noVerifier(std::string_view reason);

    static std::string tokenRevoked(std::string_view teamID);
    static std::string revokeFailed(std::string_view teamID, std::string_view error);
    /// "disconnect: Keyring delete failed for T… — …".
    static std::string deleteFailed(std::string_view teamID, std::string_view error);

    /// How much of a refusal's text a log line keeps.
    static constexpr std::size_t kLoggedTextLength = 200;
};

} // namespace nimbrel
