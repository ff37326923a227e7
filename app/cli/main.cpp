#include <QCoreApplication>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli/check_config_command.h"
#include "app/cli/control_commands.h"
#include "app/cli/dispatch.h"
#include "app/cli/doctor_command.h"
#include "app/cli/installed_app_log.h"
#include "app/cli/preview_command.h"
#include "app/shell/desktop_launcher.h"
#include "app/shell/headless_app.h"
#include "app/shell/open_command.h"

namespace {

using namespace nimbrel::cli;

// The commands, in the order the usage lists them: a new command is one more row.
const Command kCommands[] = {
    {PreviewCommand::kName, PreviewCommand::kSummary, runPreview},
    {CheckConfigCommand::kName, CheckConfigCommand::kSummary, runCheckConfig},
    {DoctorCommand::kName, DoctorCommand::kSummary, runDoctor},
    {nimbrel::HeadlessApp::kName, nimbrel::HeadlessApp::kSummary, nimbrel::HeadlessApp::run},
    kStatusCommand,
    kPauseCommand,
    kResumeCommand,
    kUpdateNowCommand,
    kConnectCommand,
    kDisconnectCommand,
    kQuitCommand,
    {nimbrel::OpenCommand::kName, nimbrel::OpenCommand::kSummary, nimbrel::OpenCommand::run},
};

} // namespace

int main(int argc, char** argv) {
    const nimbrel::InstalledAppLog appLog;
    std::vector<std::string> arguments(argv + 1, argv + argc);
    // A browser runs `nimbrel nimbrel://auth?…` to hand back a sign-in.
    if (nimbrel::OpenCommand::isBareAddress(arguments)) {
        arguments.insert(arguments.begin(), std::string(nimbrel::OpenCommand::kName));
    }
    // The desktop program is a program of its own, so that the commands and the headless engine never
    // load the GUI libraries.
    if (arguments.empty()) {
        return nimbrel::DesktopLauncher::exec({}, std::cerr);
    }
    // Commands on the bus and the engine need Qt's event loop; the others don't mind it. Its arguments are
    // not Qt's business, so it sees only the program's name.
    int qtArgc = 1;
    QCoreApplication application(qtArgc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("nimbrel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(NIMBREL_VERSION));
    try {
        return runAndPrint(kCommands, arguments, std::cout, std::cerr);
    } catch (const std::exception& error) {
        // The commands report every failure they expect; this is the last line of defence.
        std::cerr << "nimbrel: unexpected error: " << error.what() << '\n';
        return 1;
    }
}
