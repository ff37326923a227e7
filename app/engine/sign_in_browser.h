#pragma once

#include <string_view>

namespace nimbrel {

/// Where the sign-in link is opened. Linux has no in-app web authentication session, so whoever shows the
/// link from `beginConnect()` opens it in the default browser, saying so in the log first; the callback
/// then comes back as a nimbrel://auth address handed to the running instance.
struct SignInBrowser final {
    SignInBrowser() = delete;

    static constexpr std::string_view kNoInAppSession = "no in-app web authentication session on Linux";

    /// Writes the information line "connect: in-app session unavailable (reason) — falling back to the
    /// default browser". Call it right before opening the link.
    static void logFallback(std::string_view reason = kNoInAppSession);
};

} // namespace nimbrel
