#include "app/shell/open_command.h"

#include <QDBusConnection>
#include <QString>
#include <ostream>

#include "app/control/control_client.h"
#include "app/shell/desktop_launcher.h"
#include "app/shell/headless_app.h"
#include "app/shell/instance_host.h"
#include "core/slack/slack_auth.h"

namespace nimbrel {
namespace {

void printUsage(std::ostream& out) {
    out << "Usage: nimbrel open ADDRESS\n"
           "       nimbrel ADDRESS\n"
           "\n"
           "Hands a nimbrel://auth?\u2026 address, where Slack\u2019s sign-in sends your browser back, to the\n"
           "running Nimbrel. With none running, starts one that handles it.\n";
}

} // namespace

bool OpenCommand::isBareAddress(const std::vector<std::string>& arguments) {
    if (arguments.size() != 1) {
        return false;
    }
    const std::string prefix = std::string(SlackAuth::callbackScheme) + ":";
    const std::string& argument = arguments.front();
    return argument.size() >= prefix.size() &&
           QString::fromStdString(argument.substr(0, prefix.size()))
                   .compare(QString::fromStdString(prefix), Qt::CaseInsensitive) == 0;
}

int OpenCommand::run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    if (arguments.size() == 1 && (arguments.front() == "--help" || arguments.front() == "-h")) {
        printUsage(out);
        return 0;
    }
    if (arguments.size() != 1) {
        printUsage(err);
        return 2;
    }
    const QString address = QString::fromStdString(arguments.front());
    const ControlClient client(QDBusConnection::sessionBus());
    if (client.isRunning()) {
        return InstanceHost::handOver(client, address, err);
    }
    // With no instance to take it, start one: the desktop program where there is a display.
    if (DesktopLauncher::hasDisplay()) {
        return DesktopLauncher::exec({std::string(kName), arguments.front()}, err);
    }
    return HeadlessApp::serve(address, err);
}

} // namespace nimbrel
