#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrel {

/// Starts the desktop program, `nimbrel-desktop`, which is installed beside `nimbrel`. It is a program of
/// its own so that the commands and the headless engine never load the GUI libraries.
struct DesktopLauncher {
    DesktopLauncher() = delete;

    static constexpr std::string_view kProgramName = "nimbrel-desktop";
    static constexpr std::string_view kNoDisplay =
        "nimbrel: no display to show the desktop program on \u2014 run nimbrel --headless for the engine "
        "alone, or nimbrel --help for the commands";

    /// Whether a desktop session is there to show windows on (X11, or Wayland through XWayland).
    static bool hasDisplay();
    /// The desktop program beside this process's executable.
    static std::filesystem::path program();
    /// Replaces this process with the desktop program run with `arguments`, keeping its pid. Returns only
    /// when that is impossible, with exit status 1 after saying why on `err`.
    static int exec(const std::vector<std::string>& arguments, std::ostream& err);
};

} // namespace nimbrel
