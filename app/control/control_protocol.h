#pragma once

#include <QDBusArgument>
#include <QList>
#include <QMetaType>
#include <QString>

namespace nimbrel {

/// The running instance's D-Bus interface, shared by the instance (`ControlService`) and the commands that
/// drive it. Documented for users in docs/dbus-control.md.
struct ControlProtocol final {
    ControlProtocol() = delete;

    /// The session-bus name the running instance owns; whoever owns it is the one Nimbrel of the session.
    static constexpr const char* kServiceName = "com.quillmoor.nimbrel";
    static constexpr const char* kObjectPath = "/com/quillmoor/nimbrel";
    static constexpr const char* kInterface = "com.quillmoor.nimbrel.Control";

    /// Error names of refused calls.
    static constexpr const char* kErrorNotAnAuthAddress = "com.quillmoor.nimbrel.Error.NotAnAuthAddress";
    static constexpr const char* kErrorConnectFailed = "com.quillmoor.nimbrel.Error.ConnectFailed";
    static constexpr const char* kErrorNoSuchWorkspace = "com.quillmoor.nimbrel.Error.NoSuchWorkspace";

    /// The longest address OpenAddress accepts. A real callback is under 200 characters; anything far
    /// longer is refused before it is parsed or logged.
    static constexpr int kMaxAddressLength = 2048;

    /// Registers the interface's structured types with Qt's D-Bus marshalling; call before the first call
    /// that carries them.
    static void registerTypes();
};

/// One connected workspace as the interface lists it: D-Bus signature (ssbss).
struct ControlWorkspace {
    QString teamID;
    QString displayName;
    /// "Post my status here".
    bool isEnabled = true;
    /// The Slack error that rejected the connection; empty while it is good.
    QString rejection;
    /// In words: "posting", "connected, not posting" or "rejected (CODE)".
    QString state;

    friend bool operator==(const ControlWorkspace&, const ControlWorkspace&) = default;
};
using ControlWorkspaceList = QList<ControlWorkspace>;

QDBusArgument& operator<<(QDBusArgument& argument, const ControlWorkspace& workspace);
const QDBusArgument& operator>>(const QDBusArgument& argument, ControlWorkspace& workspace);

} // namespace nimbrel

Q_DECLARE_METATYPE(nimbrel::ControlWorkspace)
