#pragma once

#include <QString>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string_view>

#include "app/shell/program_services.h"

namespace nimbrel {

class ControlClient;
class ControlService;
class EngineViewModel;
class RunningInstance;

/// The engine as the session's one running instance, whichever way the program runs (desktop or
/// headless): it owns the bus name, builds the engine from the environment, offers the control interface,
/// and stops cleanly — statuses handed back within 5 seconds — on SIGTERM or SIGINT, `nimbrel quit` or
/// the menu.
class InstanceHost final {
public:
    struct Options {
        ProgramServices::Options services;
        /// What "come to the front" does in this way of running.
        std::function<void()> activate;
        /// Runs once the engine has stopped, right before the event loop ends (the desktop program hides
        /// its windows there).
        std::function<void()> stopped;
    };

    /// Claims the session's instance for this process. When another process holds it, hands that one
    /// `address` (or asks it to come to the front) and answers none with `exitStatus` set; likewise when
    /// the bus cannot be used, after saying why on `err`. `name` prefixes those messages.
    static std::unique_ptr<InstanceHost> claim(std::string_view name, const std::optional<QString>& address,
                                               Options options, std::ostream& err, int& exitStatus);
    ~InstanceHost();
    InstanceHost(const InstanceHost&) = delete;
    InstanceHost& operator=(const InstanceHost&) = delete;

    EngineViewModel& engine() noexcept { return *m_engine; }
    ProgramServices& services() noexcept { return *m_services; }

    /// Starts the engine, then hands it `address` (a sign-in callback) if there is one.
    void start(const std::optional<QString>& address);
    /// Stops the engine and then the event loop; later calls while stopping do nothing.
    void quit();
    bool isQuitting() const noexcept { return m_quitting; }

    /// Gives the address to the running instance, or asks it to come to the front; the exit status.
    static int handOver(const ControlClient& client, const std::optional<QString>& address, std::ostream& err);

private:
    InstanceHost(std::unique_ptr<RunningInstance> instance, Options options);

    Options m_options;
    std::unique_ptr<RunningInstance> m_instance;
    std::unique_ptr<ProgramServices> m_services;
    std::unique_ptr<EngineViewModel> m_engine;
    std::unique_ptr<ControlService> m_control;
    std::unique_ptr<QObject> m_signals;
    bool m_quitting = false;
};

} // namespace nimbrel
