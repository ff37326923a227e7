#include "app/cli/dispatch.h"

#include <algorithm>
#include <cerrno>
#include <streambuf>
#include <string>
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

namespace {

// Passes a command's output on line by line, each line made printable and flushed as it completes, so a
// command that waits (`connect`) shows its progress as it goes. A line feed never occurs inside a UTF-8
// sequence, so cleaning whole lines cleans every character.
class PrintableLines final : public std::streambuf {
public:
    explicit PrintableLines(std::ostream& destination)
        : m_destination(destination) {}
    PrintableLines(const PrintableLines&) = delete;
    PrintableLines& operator=(const PrintableLines&) = delete;

    /// Passes on the last, unfinished line.
    void finish() { passOn(); }
    /// The error number of the first write that failed; 0 when none failed or none was given.
    int failure() const noexcept { return m_failure; }

protected:
    int_type overflow(int_type character) override {
        if (!traits_type::eq_int_type(character, traits_type::eof())) {
            m_line.push_back(traits_type::to_char_type(character));
            if (m_line.back() == '\n') {
                passOn();
            }
        }
        return traits_type::not_eof(character);
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        for (std::streamsize index = 0; index < count; ++index) {
            overflow(traits_type::to_int_type(text[index]));
        }
        return count;
    }
    int sync() override {
        passOn();
        return 0;
    }

private:
    void passOn() {
        if (m_line.empty()) {
            return;
        }
        errno = 0;
        m_destination << TerminalText::printable(m_line);
        m_destination.flush();
        if (!m_destination && m_failure == 0) {
            m_failure = errno != 0 ? errno : -1;
        }
        m_line.clear();
    }

    std::ostream& m_destination;
    std::string m_line;
    int m_failure = 0;
};

} // namespace

int runAndPrint(std::span<const Command> commands, const std::vector<std::string>& arguments, std::ostream& out,
                std::ostream& err) {
    PrintableLines outLines(out);
    PrintableLines errLines(err);
    std::ostream commandOut(&outLines);
    std::ostream commandErr(&errLines);
    const int status = runNimbrel(commands, arguments, commandOut, commandErr);
    outLines.finish();
    errLines.finish();
    if (!out) {
        const int outError = outLines.failure();
        err << "nimbrel: couldn\u2019t write the output"
            << (outError > 0 ? ": " + std::error_code(outError, std::generic_category()).message() : "") << '\n';
        err.flush();
        return kExitOutputFailed;
    }
    return status;
}

} // namespace nimbrel::cli
