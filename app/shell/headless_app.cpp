#include "app/shell/headless_app.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>
#include <ostream>

#include <fcntl.h>
#include <unistd.h>

#include <qcoro/qcorotask.h>

#include "app/engine/engine_view_model.h"
#include "app/log/app_log.h"
#include "app/shell/program_services.h"
#include "app/storage/app_folder.h"

namespace nimbrel {
namespace {

// A signal handler may only write to a pipe; the event loop reads the other end.
int g_signalPipe[2] = {-1, -1};

void onSignal(int /*signal*/) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

bool installSignalHandlers(std::ostream& err) {
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        err << "nimbrel: couldn\u2019t set up signal handling: " << std::strerror(errno) << '\n';
        return false;
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    return true;
}

QCoro::Task<> stopAndQuit(EngineViewModel& engine) {
    auto stopping = engine.stop();
    co_await stopping;
    if (engine.hasWorkInFlight()) {
        // The stop's time limit passed with a request still hanging. Unwinding would tear the engine down
        // under it; every file is written atomically, so ending here loses nothing.
        flushAppLog();
        ::_exit(0);
    }
    QCoreApplication::quit();
}

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
    if (!installSignalHandlers(err)) {
        return 1;
    }
    static int argc = 1;
    static std::array<char*, 2> argv = {const_cast<char*>("nimbrel"), nullptr};
    QCoreApplication application(argc, argv.data());
    QCoreApplication::setApplicationName(QStringLiteral("nimbrel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(NIMBREL_VERSION));

    // The players and the keyring are only reached over the session bus; without one nothing could work.
    if (!QDBusConnection::sessionBus().isConnected()) {
        err << "nimbrel --headless: no D-Bus session bus to reach the music players and the keyring ("
            << QDBusConnection::sessionBus().lastError().message().toStdString() << ")\n";
        return 1;
    }
    ProgramServices services(AppFolder::fromEnvironment(), {.downloadsArtwork = false, .watchesScreens = false});
    EngineViewModel engine(services.engineParts());

    QSocketNotifier signals(g_signalPipe[0], QSocketNotifier::Read);
    bool stopping = false;
    QObject::connect(&signals, &QSocketNotifier::activated, &engine, [&engine, &stopping] {
        char buffer[16];
        while (::read(g_signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        if (!std::exchange(stopping, true)) {
            stopAndQuit(engine);
        }
    });
    engine.start();
    return QCoreApplication::exec();
}

} // namespace nimbrel
