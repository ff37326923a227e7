#pragma once

#include <QDBusContext>
#include <QObject>
#include <QString>
#include <functional>

#include "app/control/control_protocol.h"
#include "core/mascot/devo_state.h"

namespace nimbrel {

class EngineViewModel;

/// The running instance's side of com.quillmoor.nimbrel.Control: what `nimbrel status`, `pause`, `connect`
/// and the rest ask, and where a second copy hands over a sign-in callback. Every call is answered on the
/// main thread from the engine; the slots are the D-Bus methods, so they keep D-Bus's naming.
class ControlService final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.quillmoor.nimbrel.Control")

public:
    /// What the program around the engine does when asked.
    struct Hooks {
        /// Comes to the front (the desktop program shows itself; the headless one has nothing to show).
        std::function<void()> activate;
        /// Stops the engine (statuses handed back, at most 5 seconds) and ends the program.
        std::function<void()> quit;
    };

    ControlService(EngineViewModel& engine, Hooks hooks, QObject* parent = nullptr);

    /// The one-word name of the cat's state: "playing", "paused", "not-connected" or "error".
    static QString catStateWord(DevoState state);

public Q_SLOTS: // NOLINT(readability-redundant-access-specifiers)
    /// Hands over the address a browser opened (nimbrel://auth?…). Anything else is refused with
    /// NotAnAuthAddress and changes nothing.
    void OpenAddress(const QString& address);
    void Activate();
    /// The status line; the cat's state and whether updates are paused as out-arguments.
    QString GetStatus(QString& catState, bool& paused);
    ControlWorkspaceList ListWorkspaces();
    /// Whether this call paused (false when already paused).
    bool Pause();
    /// Whether this call resumed (false when not paused).
    bool Resume();
    void UpdateNow();
    /// Answers at once, then stops the engine and ends the program.
    void Quit();
    /// The sign-in link to open in a browser; ConnectFailed with the message when none can be made.
    QString BeginConnect();
    void CancelConnect();
    /// The phase's word; its detail (the workspace refreshed, the failure's message) as an out-argument.
    QString GetConnectPhase(QString& detail);
    /// Disconnects the workspace with this team id or display name; answers its name once it is gone.
    QString Disconnect(const QString& workspace);

Q_SIGNALS:
    void ConnectPhaseChanged(const QString& phase, const QString& detail);

private:
    EngineViewModel& m_engine;
    Hooks m_hooks;
};

} // namespace nimbrel
