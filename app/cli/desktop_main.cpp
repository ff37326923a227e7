#include <QApplication>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli/installed_app_log.h"
#include "app/shell/desktop_app.h"
#include "app/shell/desktop_launcher.h"
#include "app/shell/open_command.h"

// nimbrel-desktop: the desktop program, which `nimbrel` starts when run without arguments, and with
// `open ADDRESS` when a browser hands back a sign-in while no Nimbrel runs.
int main(int argc, char** argv) {
    const nimbrel::InstalledAppLog appLog;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (!nimbrel::DesktopLauncher::hasDisplay()) {
        std::cerr << nimbrel::DesktopLauncher::kNoDisplay << '\n';
        return 1;
    }
    // The island's click-through needs an X11 input shape, and Wayland lets no window place itself at the
    // top of the screen: under Wayland the program runs through XWayland, unless the user chose otherwise.
    if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY") && qEnvironmentVariableIsSet("DISPLAY") &&
        !qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    int qtArgc = 1;
    const QApplication application(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("nimbrel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Nimbrel"));
    QApplication::setApplicationVersion(QStringLiteral(NIMBREL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("com.quillmoor.nimbrel"));
    try {
        if (arguments.size() == 2 && arguments.front() == nimbrel::OpenCommand::kName) {
            return nimbrel::DesktopApp::serve(QString::fromStdString(arguments.back()), std::cerr);
        }
        return nimbrel::DesktopApp::run(arguments, std::cout, std::cerr);
    } catch (const std::exception& error) {
        std::cerr << "nimbrel: unexpected error: " << error.what() << '\n';
        return 1;
    }
}
