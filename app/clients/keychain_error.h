#pragma once

#include <cstdint>
#include <string>

namespace nimbrel {

/// A failure of the secret store (the Secret Service), carrying a numeric status and, when the system
/// gave one, its message. Statuses are ours and stable, so a log line's number always means the same.
struct KeychainError {
    /// No Secret Service could be reached: no session bus, no keyring daemon, or no reply.
    static constexpr std::int32_t kStatusUnavailable = 1;
    /// The item, or the keyring it would go into, is locked. We never unlock it or ask the user to.
    static constexpr std::int32_t kStatusLocked = 2;
    /// There is no default keyring to create the item in.
    static constexpr std::int32_t kStatusNoKeyring = 3;
    /// The Secret Service answered the call with an error.
    static constexpr std::int32_t kStatusRefused = 4;
    /// The item holds no secret, or one that is not UTF-8 text.
    static constexpr std::int32_t kStatusBadSecret = 5;

    std::int32_t status = kStatusRefused;
    std::string message;

    /// "Keyring error 2: <message>", or without the colon part when there is no message.
    std::string description() const;

    friend bool operator==(const KeychainError&, const KeychainError&) = default;
};

} // namespace nimbrel
