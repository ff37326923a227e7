#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli/check_config_command.h"
#include "app/cli/dispatch.h"
#include "app/cli/doctor_command.h"
#include "app/cli/preview_command.h"

namespace {

using namespace nimbrel::cli;

// The commands, in the order the usage lists them: a new command is one more row.
const Command kCommands[] = {
    {PreviewCommand::kName, PreviewCommand::kSummary, runPreview},
    {CheckConfigCommand::kName, CheckConfigCommand::kSummary, runCheckConfig},
    {DoctorCommand::kName, DoctorCommand::kSummary, runDoctor},
};

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    try {
        return runAndPrint(kCommands, arguments, std::cout, std::cerr);
    } catch (const std::exception& error) {
        // The commands report every failure they expect; this is the last line of defence.
        std::cerr << "nimbrel: unexpected error: " << error.what() << '\n';
        return 1;
    }
}
