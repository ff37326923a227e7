#pragma once

#include <QString>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrel {

/// `nimbrel` with no arguments: the desktop program — the cat in the tray, the island at the top of the
/// screen, the settings — around the session's one engine. It keeps running when its last window closes;
/// "Quit Nimbrel", `nimbrel quit`, SIGTERM or SIGINT hand the statuses back (at most 5 seconds) and end it.
struct DesktopApp {
    DesktopApp() = delete;

    /// The first line every start logs.
    static constexpr std::string_view kLaunchedLine = "applicationDidFinishLaunching";
    /// Runs until quit; the exit status. Needs a QApplication.
    static int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
    /// Runs the desktop program as the session's one instance, handing it `address` (a sign-in callback)
    /// once started; when another instance runs, hands that one the address (or brings it to the front).
    static int serve(const std::optional<QString>& address, std::ostream& err);
};

} // namespace nimbrel
