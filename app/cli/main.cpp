#include <QCoreApplication>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli/check_config_command.h"
#include "app/cli/control_commands.h"
#include "app/cli/dispatch.h"
#include "app/cli/doctor_command.h"
#include "app/cli/preview_command.h"
#include "app/log/app_log.h"
#include "app/settings/user_defaults.h"
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

// The process's one application log, installed for as long as the process runs. Qt's own messages go into
// it as debug lines instead of onto the terminal, where they would mix with what the commands print.
class InstalledAppLog {
public:
    InstalledAppLog()
        : m_log({.folder = nimbrel::AppFolder::fromEnvironment().path(),
                 .debugEnabled = nimbrel::UserDefaults::flag(nimbrel::UserDefaults::kDebugLogging)}) {
        nimbrel::installAppLog(&m_log);
        m_previousHandler = qInstallMessageHandler(routeQtMessage);
    }
    ~InstalledAppLog() {
        qInstallMessageHandler(m_previousHandler);
        nimbrel::installAppLog(nullptr);
    }
    InstalledAppLog(const InstalledAppLog&) = delete;
    InstalledAppLog& operator=(const InstalledAppLog&) = delete;

private:
    static void routeQtMessage(QtMsgType type, const QMessageLogContext& /*context*/, const QString& message) {
        const std::string line = "qt: " + message.toStdString();
        if (type != QtFatalMsg) {
            nimbrel::log(line, nimbrel::LogLevel::debug);
            return;
        }
        // Qt ends the process after a fatal message: the user must see why.
        nimbrel::log(line, nimbrel::LogLevel::error);
        nimbrel::flushAppLog();
        std::cerr << "nimbrel: " << line << '\n';
    }

    nimbrel::AppLog m_log;
    QtMessageHandler m_previousHandler = nullptr;
};

} // namespace

int main(int argc, char** argv) {
    const InstalledAppLog appLog;
    std::vector<std::string> arguments(argv + 1, argv + argc);
    // A browser runs `nimbrel nimbrel://auth?…` to hand back a sign-in.
    if (nimbrel::OpenCommand::isBareAddress(arguments)) {
        arguments.insert(arguments.begin(), std::string(nimbrel::OpenCommand::kName));
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
