#pragma once

#include <QDBusConnection>
#include <QString>
#include <cstdint>
#include <string>

namespace nimbrel {

class ControlService;

/// The one Nimbrel of a session is the process that owns com.quillmoor.nimbrel on the session bus. Two
/// copies would overwrite each other's configuration and Slack statuses, so a copy that finds the name
/// taken steps aside. The bus is per user and per login session, so nobody else can reach the instance.
class RunningInstance {
public:
    enum class Claim {
        /// This process owns the name.
        owned,
        /// Another process owns it; `otherPid` says which.
        anotherRunning,
        /// The bus refused for another reason; `problem` says why.
        failed,
    };
    struct ClaimResult {
        Claim claim = Claim::failed;
        std::uint32_t otherPid = 0;
        QString problem;
    };

    explicit RunningInstance(QDBusConnection bus);
    /// Releases the name and the control object.
    ~RunningInstance();
    RunningInstance(const RunningInstance&) = delete;
    RunningInstance& operator=(const RunningInstance&) = delete;

    /// Takes the name, unless another process holds it. Take it before anything touches the folder.
    ClaimResult claim();
    /// Exports the control interface once the engine behind it exists. Until then callers are told the
    /// object is unknown, and the commands wait for it briefly.
    bool exportControl(ControlService& service);

    /// "another Nimbrel is already running (pid N) — quitting this instance so the two can't overwrite
    /// each other's config or Slack status"
    static std::string anotherRunningLine(std::uint32_t pid);

private:
    QDBusConnection m_bus;
    bool m_ownsName = false;
    bool m_exported = false;
};

} // namespace nimbrel
