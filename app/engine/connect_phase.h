#pragma once

#include <string>
#include <string_view>

namespace nimbrel {

/// Where connecting a Slack workspace stands, as the accounts screen, `nimbrel connect` and the D-Bus
/// interface show it. `refreshed` carries the workspace's display name and `failed` the message the user
/// reads; the other cases carry nothing.
struct ConnectPhase {
    enum class Kind { refreshed, failed, idle, waitingForBrowser, claiming };

    Kind kind = Kind::idle;
    std::string detail;

    static ConnectPhase idle() { return {}; }
    static ConnectPhase waitingForBrowser() { return {Kind::waitingForBrowser, {}}; }
    static ConnectPhase claiming() { return {Kind::claiming, {}}; }
    static ConnectPhase refreshed(std::string displayName) { return {Kind::refreshed, std::move(displayName)}; }
    static ConnectPhase failed(std::string message) { return {Kind::failed, std::move(message)}; }

    /// The word the command line and the D-Bus interface use: "refreshed", "failed", "idle",
    /// "waiting-for-browser" or "claiming".
    std::string_view word() const noexcept {
        switch (kind) {
        case Kind::refreshed:
            return "refreshed";
        case Kind::failed:
            return "failed";
        case Kind::idle:
            return "idle";
        case Kind::waitingForBrowser:
            return "waiting-for-browser";
        case Kind::claiming:
            return "claiming";
        }
        return "idle";
    }

    friend bool operator==(const ConnectPhase&, const ConnectPhase&) = default;
};

} // namespace nimbrel
