#pragma once

#include <QString>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrel {

/// `nimbrel --headless`: the engine without any window, for a machine without a tray or for a systemd
/// user service. It logs to app.log and the journal and prints nothing but errors; SIGTERM or SIGINT
/// stops the engine (statuses handed back, at most 5 seconds) and ends the process with status 0.
struct HeadlessApp {
    HeadlessApp() = delete;

    static constexpr std::string_view kName = "--headless";
    static constexpr std::string_view kSummary = "run the engine without a window (for a systemd user service)";

    /// Runs until a signal or `nimbrel quit` ends it; returns the exit status.
    static int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
    /// Runs the engine as the session's one instance, handling `address` (a sign-in callback) once it has
    /// started. When another instance runs, hands it the address (or asks it to come to the front) and
    /// returns 0 at once; a refused address returns 1.
    static int serve(const std::optional<QString>& address, std::ostream& err);
};

} // namespace nimbrel
