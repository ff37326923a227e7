#include "app/cli/dispatch.h"

#include <algorithm>
#include <cerrno>
#include <sstream>
#include <system_error>

#include "app/cli/command_line.h"
#include "app/cli/terminal_text.h"

namespace nimbrel::cli {

void printUsage(std::span<const Command> commands, std::ostream& out) {
    constexpr std::size_t kNameColumn = 16;
    out << "Usage: nimbrel COMMAND [ARGUMENTS]\n"
           "\n"
           "Nimbrel keeps your Slack status in step with the music you play.\n"
           "\n"
           "Commands:\n";
    for (const Command& command : commands) {
        const std::size_t padding = command.name.size() < kNameColumn ? kNameColumn - command.name.size() : 1;
        out << "  " << command.name << std::string(padding, ' ') << command.summary << '\n';
    }
    out << "\n"
           "Run 'nimbrel COMMAND --help' for a command's options.\n";
}

int runNimbrel(std::span<const Command> commands, const std::vector<std::string>& arguments, std::ostream& out,
               std::ostream& err) {
    if (arguments.empty() || arguments.front() == "--help" || arguments.front() == "-h") {
        printUsage(commands, out);
        return 0;
    }
    if (arguments.front() == "help") {
        if (arguments.size() == 1) {
            printUsage(commands, out);
            return 0;
        }
        return runNimbrel(commands, {arguments[1], "--help"}, out, err);
    }
    const std::string& name = arguments.front();
    const auto command = std::find_if(commands.begin(), commands.end(),
                                      [&name](const Command& candidate) { return candidate.name == name; });
    if (command == commands.end()) {
        err << "nimbrel: unknown command " << inQuotes(name) << "\n\n";
        printUsage(commands, err);
        return kExitUsage;
    }
    return command->run(std::vector<std::string>(arguments.begin() + 1, arguments.end()), out, err);
}

int runAndPrint(std::span<const Command> commands, const std::vector<std::string>& arguments, std::ostream& out,
                std::ostream& err) {
    // The commands print little; gathering it first lets one place clean it and check that it arrived.
    std::ostringstream commandOut;
    std::ostringstream commandErr;
    const int status = runNimbrel(commands, arguments, commandOut, commandErr);
    errno = 0;
    out << TerminalText::printable(commandOut.view());
    out.flush();
    const int outError = errno;
    err << TerminalText::printable(commandErr.view());
    err.flush();
    if (!out) {
        err << "nimbrel: couldn\u2019t write the output"
            << (outError != 0 ? ": " + std::error_code(outError, std::generic_category()).message() : "") << '\n';
        err.flush();
        return kExitOutputFailed;
    }
    return status;
}

} // namespace nimbrel::cli
