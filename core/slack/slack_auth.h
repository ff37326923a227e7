#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "core/nimbrel_core_export.h"
#include "core/slack/slack_auth_error.h"
#include "core/url/url.h"

namespace nimbrel {

/// The platform-free half of connecting a workspace. The program makes a one-time verifier and keeps it in
/// memory; the start link carries the verifier's challenge as "state"; the sign-in service sends the browser
/// back to nimbrel://auth with that state (or an error); the program checks the state against its pending
/// verifier and then claims the token by presenting the verifier itself.
struct NIMBREL_CORE_EXPORT SlackAuth final {
    SlackAuth() = delete;

    /// The URL scheme the program is registered for.
    static constexpr std::string_view callbackScheme = "nimbrel";
    /// The host of the callback address.
    static constexpr std::string_view callbackHost = "auth";
    /// Characters in a verifier and in a challenge.
    static constexpr std::size_t stateLength = 43;
    /// The query item that carries the state, in both directions.
    static constexpr std::string_view kStateItem = "state";
    /// The query item of a refused sign-in.
    static constexpr std::string_view kErrorItem = "error";
    /// The error value of a user (or an approval rule) saying no.
    static constexpr std::string_view kAccessDenied = "access_denied";

    /// What a callback address said: the state it carried, or why it was refused.
    class NIMBREL_CORE_EXPORT CallbackResult {
    public:
        /// One factory per outcome.
        static CallbackResult success(std::string state) { return CallbackResult(std::move(state)); }
        static CallbackResult failure(SlackAuthError error) { return CallbackResult(std::move(error)); }

        /// Whether the callback carried a usable state.
        bool isSuccess() const noexcept { return std::holds_alternative<std::string>(m_value); }
        /// The state, on success; else null.
        const std::string* state() const noexcept { return std::get_if<std::string>(&m_value); }
        /// The refusal, on failure; else null.
        const SlackAuthError* error() const noexcept { return std::get_if<SlackAuthError>(&m_value); }

        friend bool operator==(const CallbackResult&, const CallbackResult&) = default;

    private:
        explicit CallbackResult(std::variant<std::string, SlackAuthError> value)
            : m_value(std::move(value)) {}
        std::variant<std::string, SlackAuthError> m_value;
    };

    /// A new verifier: 32 bytes from the system's cryptographic random source in unpadded URL-safe Base64.
    /// Throws std::runtime_error when the random source fails, rather than hand out a guessable secret.
    static std::string makeVerifier();
    /// The challenge of a verifier: SHA-256 of its UTF-8 bytes in unpadded URL-safe Base64 (PKCE's S256).
    static std::string challenge(std::string_view verifier);
    /// Whether the text is 43 characters of the URL-safe Base64 alphabet (ASCII letters, digits, "-", "_").
    static bool isValidState(std::string_view state);
    /// The sign-in service's start link for a state: base + "/slack/start?state=…". None for an invalid
    /// state or a base that is not an absolute address with a host.
    static std::optional<Url> startURL(const Url& base, std::string_view state);
    /// Reads a callback address: nimbrel://auth?state=… (scheme and host in any case) or ?error=…. An error
    /// wins over a state; only the first item of each name counts, and an empty one counts as absent.
    /// Whether the state belongs to the pending verifier is the caller's check.
    static CallbackResult parseCallback(std::string_view address);
};

} // namespace nimbrel
