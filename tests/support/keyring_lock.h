#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <iostream>

namespace nimbrel::testing {

/// Locks the default keyring through the Secret Service's own D-Bus interface; it stays locked for the rest
/// of the test's process (each test runs on its own bus and daemon). False, after saying why, when it could not.
inline bool lockDefaultKeyring() {
    auto call = [](const QString& method, const QVariantList& arguments) {
        QDBusMessage message = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.secrets"),
                                                              QStringLiteral("/org/freedesktop/secrets"),
                                                              QStringLiteral("org.freedesktop.Secret.Service"), method);
        message.setArguments(arguments);
        return QDBusConnection::sessionBus().call(message, QDBus::Block, 10'000);
    };
    const QDBusReply<QDBusObjectPath> keyring = call(QStringLiteral("ReadAlias"), {QStringLiteral("default")});
    if (!keyring.isValid()) {
        std::cerr << "no default keyring: " << keyring.error().message().toStdString() << '\n';
        return false;
    }
    const QDBusMessage locked =
        call(QStringLiteral("Lock"), {QVariant::fromValue(QList<QDBusObjectPath>{keyring.value()})});
    if (locked.type() != QDBusMessage::ReplyMessage) {
        std::cerr << "the keyring would not lock: " << locked.errorMessage().toStdString() << '\n';
        return false;
    }
    return true;
}

} // namespace nimbrel::testing
