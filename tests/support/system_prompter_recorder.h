#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QString>
#include <QThread>
#include <atomic>

#include <gtest/gtest.h>

namespace nimbrel::testing {

/// Stands in for GNOME's system prompter (the program that draws unlock dialogs) and counts the keyring
/// daemon's calls to it: every prompt the daemon tries to show arrives here. It answers on a thread of its
/// own, so it hears the daemon even while the test waits. Every call is refused, so no prompt ever completes.
class SystemPrompterRecorder final : public QDBusVirtualObject {
public:
    SystemPrompterRecorder() {
        m_bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("nimbrel-test-prompter"));
        EXPECT_TRUE(m_bus.registerVirtualObject(QStringLiteral("/"), this, QDBusConnection::SubPath));
        // Moved after registering, so that the registration's helper objects move along.
        m_thread.start();
        moveToThread(&m_thread);
        EXPECT_TRUE(m_bus.registerService(QStringLiteral("org.gnome.keyring.SystemPrompter")));
    }
    ~SystemPrompterRecorder() override {
        m_bus.unregisterObject(QStringLiteral("/"), QDBusConnection::UnregisterTree);
        QDBusConnection::disconnectFromBus(QStringLiteral("nimbrel-test-prompter"));
        m_thread.quit();
        m_thread.wait();
    }

    int calls() const { return m_calls; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        ++m_calls;
        connection.send(message.createErrorReply(QDBusError::AccessDenied, QStringLiteral("no prompts in tests")));
        return true;
    }
    QString introspect(const QString& /*path*/) const override { return {}; }

private:
    QThread m_thread;
    QDBusConnection m_bus{QString()};
    std::atomic<int> m_calls{0};
};

} // namespace nimbrel::testing
