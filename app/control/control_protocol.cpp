#include "app/control/control_protocol.h"

#include <QDBusMetaType>

namespace nimbrel {

void ControlProtocol::registerTypes() {
    qDBusRegisterMetaType<ControlWorkspace>();
    qDBusRegisterMetaType<ControlWorkspaceList>();
}

QDBusArgument& operator<<(QDBusArgument& argument, const ControlWorkspace& workspace) {
    argument.beginStructure();
    argument << workspace.teamID << workspace.displayName << workspace.isEnabled << workspace.rejection
             << workspace.state;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, ControlWorkspace& workspace) {
    argument.beginStructure();
    argument >> workspace.teamID >> workspace.displayName >> workspace.isEnabled >> workspace.rejection >>
        workspace.state;
    argument.endStructure();
    return argument;
}

} // namespace nimbrel
