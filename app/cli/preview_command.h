#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrel::cli {

/// `nimbrel preview`: the vibe and the status line a track would get.
struct PreviewCommand final {
    PreviewCommand() = delete;

    static constexpr std::string_view kName = "preview";
    static constexpr std::string_view kSummary = "Show the vibe and the Slack status a track would get";
    static constexpr std::string_view kHelp =
        "Usage: nimbrel preview --artist TEXT --track TEXT [--genre TEXT]... [--config FILE] [--json]\n"
        "\n"
        "Shows which vibe a track would get and the Slack status Nimbrel would write for it, without\n"
        "touching Slack.\n"
        "\n"
        "  --artist TEXT   the artist, as the player reports it\n"
        "  --track TEXT    the track title, as the player reports it\n"
        "  --genre TEXT    a genre of the artist; repeat it for several, in order (no weights)\n"
        "  --config FILE   read this configuration file instead of your config.json\n"
        "  --json          print one JSON object instead of text\n"
        "  -h, --help      show this help\n"
        "\n"
        "Without --config it loads your config.json as the program does, writing the built-in\n"
        "configuration there on a first run.\n"
        "\n"
        "Exit status: 0 when a vibe matched, 3 when none did, 2 for a usage error, 1 when the\n"
        "configuration file cannot be read or decoded.\n";

    static constexpr int kExitMatched = 0;
    static constexpr int kExitFileError = 1;
    static constexpr int kExitUsage = 2;
    static constexpr int kExitNoVibe = 3;

    static constexpr std::string_view kNoVibe = "No vibe: nothing matched, and the configuration has no default vibe.";
    static constexpr std::string_view kDefaultVibeReason = "the default vibe \u2014 nothing else matched";
    static constexpr std::string_view kFallbackWarning =
        "could not be used, so this preview uses the built-in configuration, as the program would: ";

    /// Runs the command on its arguments (without the command's name). Writes the result to `out` and
    /// problems to `err`; returns the exit status.
    static int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
};

/// The command as the dispatch table calls it.
int runPreview(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

} // namespace nimbrel::cli
