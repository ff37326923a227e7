#include "app/shell/instance_host.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ostream>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include <qcoro/qcorotask.h>

#include "app/control/control_client.h"
#include "app/control/control_protocol.h"
#include "app/control/control_service.h"
#include "app/control/running_instance.h"
#include "app/engine/engine_view_model.h"
#include "app/log/app_log.h"
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

bool installSignalHandlers(std::string_view name, std::ostream& err) {
    if (g_signalPipe[0] < 0 && ::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        err << "nimbrel" << name << ": couldn\u2019t set up signal handling: " << std::strerror(errno) << '\n';
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

QCoro::Task<> stopThenQuit(EngineViewModel& engine, std::function<void()> stopped) {
    auto stopping = engine.stop();
    co_await stopping;
    if (stopped) {
        stopped();
    }
    if (engine.hasWorkInFlight()) {
        // The stop's time limit passed with a request still hanging. Unwinding would tear the engine down
        // under it; every file is written atomically, so ending here loses nothing.
        flushAppLog();
        ::_exit(0);
    }
    QCoreApplication::quit();
}

} // namespace

std::unique_ptr<InstanceHost> InstanceHost::claim(std::string_view name, const std::optional<QString>& address,
                                                  Options options, std::ostream& err, int& exitStatus) {
    exitStatus = 1;
    if (!installSignalHandlers(name, err)) {
        return nullptr;
    }
    // The players, the keyring and the one-instance check are only reached over the session bus; without
    // one nothing could work.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        err << "nimbrel" << name << ": no D-Bus session bus to reach the music players and the keyring ("
            << bus.lastError().message().toStdString() << ")\n";
        return nullptr;
    }
    // Before anything touches the folder: a second engine would fight the first over config and statuses.
    auto instance = std::make_unique<RunningInstance>(bus);
    const RunningInstance::ClaimResult claimed = instance->claim();
    if (claimed.claim == RunningInstance::Claim::anotherRunning) {
        log(RunningInstance::anotherRunningLine(claimed.otherPid));
        exitStatus = handOver(ControlClient(bus), address, err);
        return nullptr;
    }
    if (claimed.claim == RunningInstance::Claim::failed) {
        err << "nimbrel" << name << ": couldn\u2019t take the name " << ControlProtocol::kServiceName
            << " on the session bus (" << claimed.problem.toStdString() << ")\n";
        return nullptr;
    }
    exitStatus = 0;
    return std::unique_ptr<InstanceHost>(new InstanceHost(std::move(instance), std::move(options)));
}

InstanceHost::InstanceHost(std::unique_ptr<RunningInstance> instance, Options options)
    : m_options(std::move(options))
    , m_instance(std::move(instance))
    , m_services(std::make_unique<ProgramServices>(AppFolder::fromEnvironment(), m_options.services))
    , m_engine(std::make_unique<EngineViewModel>(m_services->engineParts())) {
    m_control = std::make_unique<ControlService>(*m_engine,
                                                 ControlService::Hooks{.activate = m_options.activate, .quit = [this] {
                                                                           quit();
                                                                       }});
    if (!m_instance->exportControl(*m_control)) {
        log("couldn\u2019t offer the control interface on the session bus \u2014 nimbrel status and the "
            "other commands won\u2019t reach this instance",
            LogLevel::error);
    }
    auto* signals = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(signals, &QSocketNotifier::activated, m_engine.get(), [this] {
        char buffer[16];
        while (::read(g_signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        quit();
    });
    m_signals.reset(signals);
}

// The control object goes before the engine it serves, and the name last.
InstanceHost::~InstanceHost() {
    m_signals.reset();
    m_control.reset();
    m_engine.reset();
    m_services.reset();
    m_instance.reset();
}

void InstanceHost::start(const std::optional<QString>& address) {
    m_engine->start();
    if (address) {
        m_engine->handleCallback(*address);
    }
}

void InstanceHost::quit() {
    if (!std::exchange(m_quitting, true)) {
        stopThenQuit(*m_engine, m_options.stopped);
    }
}

int InstanceHost::handOver(const ControlClient& client, const std::optional<QString>& address, std::ostream& err) {
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
