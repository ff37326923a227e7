#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli/check_config_command.h"
#include "app/cli/dispatch.h"
#include "app/cli/doctor_command.h"
#include "app/cli/preview_command.h"
#include "app/log/app_log.h"
#include "app/settings/user_defaults.h"
#include "app/shell/headless_app.h"
#include "app/storage/app_folder.h"

namespace {

using namespace nimbrel::cli;

// The commands, in the order the usage lists them: a new command is one more row.
const Command kCommands[] = {
    {PreviewCommand::kName, PreviewCommand::kSummary, runPreview},
    {CheckConfigCommand::kName, CheckConfigCommand::kSummary, runCheckConfig},
    {DoctorCommand::kName, DoctorCommand::kSummary, runDoctor},
    {nimbrel::HeadlessApp::kName, nimbrel::HeadlessApp::kSummary, nimbrel::HeadlessApp::run},
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
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    try {
        return runAndPrint(kCommands, arguments, std::cout, std::cerr);
    } catch (const std::exception& error) {
        // The commands report every failure they expect; this is the last line of defence.
        std::cerr << "nimbrel: unexpected error: " << error.what() << '\n';
        return 1;
    }
}
