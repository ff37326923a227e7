#include "app/shell/headless_app.h"

#include <QCoreApplication>
#include <ostream>

#include "app/log/app_log.h"
#include "app/shell/instance_host.h"

namespace nimbrel {
namespace {

constexpr std::string_view kNothingToShowLine =
    "asked to come to the front \u2014 the headless engine has no window to show";

void printUsage(std::ostream& out) {
    out << "Usage: nimbrel --headless\n"
           "\n"
           "Runs the engine without any window: your Slack status follows your music as long as it runs.\n"
           "It logs to app.log in the Nimbrel folder and to the journal, and prints nothing but errors.\n"
           "SIGTERM or SIGINT (Ctrl-C) hands the statuses back and ends it within 5 seconds.\n";
}

} // namespace

int HeadlessApp::run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    if (!arguments.empty()) {
        if (arguments.front() == "--help" || arguments.front() == "-h") {
            printUsage(out);
            return 0;
        }
        err << "nimbrel --headless: unexpected argument \u201C" << arguments.front() << "\u201D\n";
        return 2;
    }
    return serve(std::nullopt, err);
}

int HeadlessApp::serve(const std::optional<QString>& address, std::ostream& err) {
    int exitStatus = 0;
    const std::unique_ptr<InstanceHost> host =
        InstanceHost::claim(" --headless", address,
                            {.services = {.downloadsArtwork = false, .watchesScreens = false},
                             .activate = [] { log(std::string(kNothingToShowLine)); },
                             .stopped = {}},
                            err, exitStatus);
    if (!host) {
        return exitStatus;
    }
    host->start(address);
    return QCoreApplication::exec();
}

} // namespace nimbrel
