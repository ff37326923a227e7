#pragma once

#include <string>
#include <variant>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// Why a sign-in callback was refused. Equal errors have the same case and, for `slack`, the same text.
class NIMBREL_CORE_EXPORT SlackAuthError {
public:
    /// Slack (or the sign-in service) reported an error other than a refusal; `text` is its code.
    struct Slack {
        std::string text;
        friend bool operator==(const Slack&, const Slack&) = default;
    };
    /// The user, or the workspace's approval rules, did not grant access.
    struct AccessDenied {
        friend bool operator==(const AccessDenied&, const AccessDenied&) = default;
    };
    /// The address is not a callback of ours, or carries neither a state nor an error.
    struct MalformedCallback {
        friend bool operator==(const MalformedCallback&, const MalformedCallback&) = default;
    };
    /// The callback's state is not one the program could have sent.
    struct InvalidState {
        friend bool operator==(const InvalidState&, const InvalidState&) = default;
    };

    using Case = std::variant<Slack, AccessDenied, MalformedCallback, InvalidState>;

    /// The descriptions, word for word as the accounts screen shows them.
    static constexpr std::string_view kSlackPrefix = "Slack returned an error: ";
    static constexpr std::string_view kAccessDeniedDescription =
        "Slack didn\u2019t grant access. If your workspace needs an admin to approve new apps, your request has "
        "been sent \u2014 try connecting again once it\u2019s approved.";
    static constexpr std::string_view kMalformedCallbackDescription =
        "That sign-in link didn\u2019t come from Nimbrel.";
    static constexpr std::string_view kInvalidStateDescription =
        "The sign-in response didn\u2019t match the request. Try connecting again.";

    SlackAuthError(Case value) // NOLINT(google-explicit-constructor): an error is its case
        : m_case(std::move(value)) {}

    /// One factory per case.
    static SlackAuthError slack(std::string text) { return SlackAuthError(Slack{std::move(text)}); }
    static SlackAuthError accessDenied() { return SlackAuthError(AccessDenied{}); }
    static SlackAuthError malformedCallback() { return SlackAuthError(MalformedCallback{}); }
    static SlackAuthError invalidState() { return SlackAuthError(InvalidState{}); }

    /// The payload when the error is of case T, else null.
    template <typename T>
    const T* as() const noexcept {
        return std::get_if<T>(&m_case);
    }
    const Case& value() const noexcept { return m_case; }

    /// The sentence shown to the user when connecting fails.
    std::string description() const;

    friend bool operator==(const SlackAuthError&, const SlackAuthError&) = default;

private:
    Case m_case;
};

} // namespace nimbrel
