#include <QApplication>
#include <QCoreApplication>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/cli/check_config_command.h"
#include "app/cli/control_commands.h"
#include "app/cli/dispatch.h"
#include "app/cli/doctor_command.h"
#include "app/cli/preview_command.h"
#include "app/log/app_log.h"
#include "app/settings/user_defaults.h"
#include "app/shell/desktop_app.h"
#include "app/shell/headless_app.h"
#include "app/shell/open_command.h"
#include "app/storage/app_folder.h"

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

// The process's one application log, installed for as long as the process runs.
class InstalledAppLog {
public:
    InstalledAppLog()
        : m_log({.folder = nimbrel::AppFolder::fromEnvironment().path(),
                 .debugEnabled = nimbrel::UserDefaults::flag(nimbrel::UserDefaults::kDebugLogging)}) {
        nimbrel::installAppLog(&m_log);
    }
    ~InstalledAppLog() { nimbrel::installAppLog(nullptr); }
    InstalledAppLog(const InstalledAppLog&) = delete;
    InstalledAppLog& operator=(const InstalledAppLog&) = delete;

private:
    nimbrel::AppLog m_log;
};

} // namespace

int main(int argc, char** argv) {
    const InstalledAppLog appLog;
    std::vector<std::string> arguments(argv + 1, argv + argc);
    // A browser runs `nimbrel nimbrel://auth?…` to hand back a sign-in.
    if (nimbrel::OpenCommand::isBareAddress(arguments)) {
        arguments.insert(arguments.begin(), std::string(nimbrel::OpenCommand::kName));
    }
    // Commands on the bus and the engine need Qt's event loop; the others don't mind it. Windows need the
    // GUI application, which only the desktop program (and an address it may start it for) gets: the other
    // commands run without a display. Its arguments are not Qt's business, so it sees only the name.
    const bool showsWindows =
        (arguments.empty() || arguments.front() == nimbrel::OpenCommand::kName) && nimbrel::DesktopApp::hasDisplay();
    int qtArgc = 1;
    const std::unique_ptr<QCoreApplication> application =
        showsWindows ? std::make_unique<QApplication>(qtArgc, argv) : std::make_unique<QCoreApplication>(qtArgc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("nimbrel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(NIMBREL_VERSION));
    try {
        if (arguments.empty()) {
            if (!showsWindows) {
                std::cerr << nimbrel::DesktopApp::kNoDisplay << '\n';
                return 1;
            }
            return nimbrel::DesktopApp::run(arguments, std::cout, std::cerr);
        }
        return runAndPrint(kCommands, arguments, std::cout, std::cerr);
    } catch (const std::exception& error) {
        // The commands report every failure they expect; this is the last line of defence.
        std::cerr << "nimbrel: unexpected error: " << error.what() << '\n';
        return 1;
    }
}
