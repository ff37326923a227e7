#pragma once

#include <QString>
#include <QUrl>

namespace nimbrel {

/// Which sign-in service the program talks to: the user default NimbrelAPIBaseURL when it holds an
/// http(s) address, else the address this build was configured with (the CMake cache variable
/// NIMBREL_SIGNIN_URL).
struct APIEndpoint final {
    APIEndpoint() = delete;

    /// The build's own address; a build that never set one carries a placeholder with "REPLACE_ME".
    static QUrl builtInBaseURL();
    /// The address, worked out on first use and kept for the life of the process (a changed default
    /// takes effect at the next start).
    static const QUrl& baseURL();
    /// Works the address out afresh: the override, logged as "APIEndpoint: using override …", or the
    /// built-in address silently.
    static QUrl resolve();
    /// Whether the address is a real one rather than the unconfigured placeholder.
    static bool isConfigured(const QUrl& base);

    static constexpr const char* kOverrideLogPrefix = "APIEndpoint: using override ";
    static constexpr const char* kPlaceholderMarker = "REPLACE_ME";
};

} // namespace nimbrel
