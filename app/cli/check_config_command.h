#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrel {
struct VibeConfig;
} // namespace nimbrel

namespace nimbrel::cli {

/// `nimbrel check-config`: whether a configuration file decodes, where it does not, and what the
/// forgiving decoder would drop or replace without complaint.
struct CheckConfigCommand final {
    CheckConfigCommand() = delete;

    static constexpr std::string_view kName = "check-config";
    static constexpr std::string_view kSummary = "Check a configuration file and say where it is wrong";
    static constexpr std::string_view kHelp =
        "Usage: nimbrel check-config [FILE]\n"
        "\n"
        "Decodes FILE (default: your config.json) as the program would. Prints a one-line summary\n"
        "when it is valid, or the reason and its location when it is not: a key path such as\n"
        "vibes[2].status_emoji, or the line and column of a syntax error. Also lists what the\n"
        "program would silently drop or replace: unknown or repeated players, unknown theme ids, an\n"
        "unknown \"when_music_stops\" value, keys of the older layout, keys it does not know.\n"
        "\n"
        "  -h, --help   show this help\n"
        "\n"
        "Exit status: 0 when the file decodes, 1 when it cannot be read or decoded, 2 for a usage error.\n";

    static constexpr int kExitValid = 0;
    static constexpr int kExitInvalid = 1;
    static constexpr int kExitUsage = 2;

    /// Follows the read error when the user's own config.json does not exist yet.
    static constexpr std::string_view kNoFileYet =
        "Nimbrel writes its built-in configuration there on its first start.";
    /// Opens every line about something the decoder let pass.
    static constexpr std::string_view kNoticePrefix = "note: ";

    /// "valid: 7 vibes, default vibe “listening”, …": the one-line summary of a decoded file.
    static std::string summary(const VibeConfig& config);

    /// Runs the command on its arguments (without the command's name); returns the exit status.
    static int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
};

/// The command as the dispatch table calls it.
int runCheckConfig(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

} // namespace nimbrel::cli
