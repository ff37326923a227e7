#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrel::cli {

/// One subcommand of the nimbrel executable.
struct Command {
    std::string_view name;
    /// One line for the list of commands.
    std::string_view summary;
    /// Runs it on the arguments after its name; returns the exit status.
    int (*run)(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
};

/// The exit status of a command line the program does not understand.
inline constexpr int kExitUsage = 2;

/// The exit status when the output could not be written (a full disk, a closed pipe).
inline constexpr int kExitOutputFailed = 1;

/// Prints the program's usage and the list of `commands`.
void printUsage(std::span<const Command> commands, std::ostream& out);

/// Runs the executable on its arguments (without the program's name): the command the first argument
/// names, or the usage for none, "help" or "--help" ("help COMMAND" is "COMMAND --help"). Returns the
/// exit status.
int runNimbrel(std::span<const Command> commands, const std::vector<std::string>& arguments, std::ostream& out,
               std::ostream& err);

/// Runs `runNimbrel`, passing what the command prints on to `out` and `err` line by line as it comes,
/// with control characters made visible (`TerminalText::printable`). Returns `kExitOutputFailed`, after saying so on
/// `err`, when the output could not be written, whatever the command's own status was.
int runAndPrint(std::span<const Command> commands, const std::vector<std::string>& arguments, std::ostream& out,
                std::ostream& err);

} // namespace nimbrel::cli
