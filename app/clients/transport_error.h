#pragma once

#include <string>

namespace nimbrel {

/// A request that got no usable HTTP answer: the network, the server's connection or our own limits
/// stopped it. Its description is a sentence a user can read.
struct TransportError {
    enum class Kind {
        /// Our deadline for the whole request passed.
        timedOut,
        /// Nobody accepted the connection (a closed port, a refusing host).
        cannotConnect,
        /// The host name did not resolve.
        hostNotFound,
        /// The connection closed before the answer was complete.
        connectionLost,
        /// No network to send on.
        notConnected,
        /// The TLS handshake failed.
        secureConnectionFailed,
        /// The answer's body was larger than the session allows.
        bodyTooLarge,
        /// What came back was not HTTP at all.
        notHttp,
        /// Anything else the network stack reported.
        other,
    };

    Kind kind = Kind::other;
    std::string description;

    static constexpr const char* kTimedOutDescription = "The request timed out.";
    static constexpr const char* kBodyTooLargePrefix = "The server\u2019s answer was larger than ";

    friend bool operator==(const TransportError&, const TransportError&) = default;

    /// Whether trying again may help: lost connections, time-outs, unreachable or unresolvable hosts, no
    /// network and failed TLS handshakes. Our own limits and everything else are final.
    bool isRetryable() const noexcept;
};

} // namespace nimbrel
