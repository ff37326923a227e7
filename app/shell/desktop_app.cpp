#include "app/shell/desktop_app.h"

#include <QApplication>
#include <memory>
#include <ostream>

#include "app/engine/engine_view_model.h"
#include "app/log/app_log.h"
#include "app/settings/user_defaults.h"
#include "app/shell/desktop_program.h"
#include "app/shell/instance_host.h"

namespace nimbrel {
namespace {

void printUsage(std::ostream& out) {
    out << "Usage: nimbrel\n"
           "\n"
           "Starts Nimbrel: the cat in the tray, the island at the top of the screen, and the settings.\n"
           "Your Slack status follows your music while it runs. nimbrel --help lists the other commands.\n";
}

} // namespace

int DesktopApp::run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    if (!arguments.empty()) {
        if (arguments.front() == "--help" || arguments.front() == "-h") {
            printUsage(out);
            return 0;
        }
        err << "nimbrel: unexpected argument \u201C" << arguments.front() << "\u201D\n";
        return 2;
    }
    return serve(std::nullopt, err);
}

int DesktopApp::serve(const std::optional<QString>& address, std::ostream& err) {
    log(std::string(kLaunchedLine));
    std::unique_ptr<DesktopProgram> program;
    int exitStatus = 0;
    const std::unique_ptr<InstanceHost> host =
        InstanceHost::claim("", address,
                            {.services = {.downloadsArtwork = true, .watchesScreens = true},
                             .activate =
                                 [&program] {
                                     if (program) {
                                         program->comeToFront();
                                     }
                                 },
                             .stopped =
                                 [&program] {
                                     if (program) {
                                         program->stop();
                                     }
                                 }},
                            err, exitStatus);
    if (!host) {
        return exitStatus;
    }
    // Closing the settings or the editor leaves the cat and the island running.
    QApplication::setQuitOnLastWindowClosed(false);
    program = std::make_unique<DesktopProgram>(*host);
    host->start(address);
    const int status = QApplication::exec();
    program.reset();
    return status;
}

} // namespace nimbrel
