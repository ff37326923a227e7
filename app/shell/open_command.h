#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrel {

/// `nimbrel open ADDRESS`, which is also what `nimbrel nimbrel://auth?…` means: the browser runs it when
/// Slack's sign-in sends it back to the program. The address goes to the running instance; with none
/// running, this process becomes the instance and handles it itself.
struct OpenCommand {
    OpenCommand() = delete;

    static constexpr std::string_view kName = "open";
    static constexpr std::string_view kSummary = "hand a nimbrel:// sign-in address to the running Nimbrel";

    /// Whether the command line is a bare address, as a browser runs the program.
    static bool isBareAddress(const std::vector<std::string>& arguments);
    static int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
};

} // namespace nimbrel
