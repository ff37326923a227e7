#include "app/shell/headless_app.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>
#include <ostream>

#include <fcntl.h>
#include <unistd.h>

#include <qcoro/qcorotask.h>

#include "app/control/control_client.h"
#include "app/control/control_protocol.h"
#include "app/control/control_service.h"
#include "app/control/running_instance.h"
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
    if (!installSignalHandlers(err)) {
        return 1;
    }
    // The players, the keyring and the one-instance check are only reached over the session bus; without
    // one nothing could work.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        err << "nimbrel --headless: no D-Bus session bus to reach the music players and the keyring ("
            << bus.lastError().message().toStdString() << ")\n";
        return 1;
    }
    // Before anything touches the folder: a second engine would fight the first over config and statuses.
    RunningInstance instance(bus);
    const RunningInstance::ClaimResult claim = instance.claim();
    if (claim.claim == RunningInstance::Claim::anotherRunning) {
        log(RunningInstance::anotherRunningLine(claim.otherPid));
        return handOver(ControlClient(bus), address, err);
    }
    if (claim.claim == RunningInstance::Claim::failed) {
        err << "nimbrel --headless: couldn\u2019t take the name " << ControlProtocol::kServiceName
            << " on the session bus (" << claim.problem.toStdString() << ")\n";
        return 1;
    }

    ProgramServices services(AppFolder::fromEnvironment(), {.downloadsArtwork = false, .watchesScreens = false});
    EngineViewModel engine(services.engineParts());
    bool stopping = false;
    const auto quit = [&engine, &stopping] {
        if (!std::exchange(stopping, true)) {
            stopAndQuit(engine);
        }
    };
    ControlService control(engine, {.activate = [] { log(std::string(kNothingToShowLine)); }, .quit = quit});
    if (!instance.exportControl(control)) {
        log("couldn\u2019t offer the control interface on the session bus \u2014 nimbrel status and the "
            "other commands won\u2019t reach this instance",
            LogLevel::error);
    }

    QSocketNotifier signals(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signals, &QSocketNotifier::activated, &engine, [&quit] {
        char buffer[16];
        while (::read(g_signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        quit();
    });
    engine.start();
    if (address) {
        engine.handleCallback(*address);
    }
    return QCoreApplication::exec();
}

int HeadlessApp::handOver(const ControlClient& client, const std::optional<QString>& address, std::ostream& err) {
    if (address) {
        const QDBusMessage reply = client.call(QStringLiteral("OpenAddress"), {*address});
        if (reply.type() == QDBusMessage::ErrorMessage) {
            err << "nimbrel: " << reply.errorMessage().toStdString() << '\n';
            return 1;
        }
        return 0;
    }
    // Only a courtesy: the copy that runs shows itself, if it has anything to show.
    client.call(QStringLiteral("Activate"));
    return 0;
}

} // namespace nimbrel
