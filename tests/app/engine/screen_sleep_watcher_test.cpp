#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QObject>
#include <QStringList>
#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/engine/dbus_screen_sleep_watcher.h"
#include "tests/support/collected_log.h"
#include "tests/support/manual_timers.h"

namespace nimbrel {
namespace {

using testing::processEventsUntil;
using Endpoint = DBusScreenSleepWatcher::SaverEndpoint;

const QString kBarrierInterface = QStringLiteral("org.nimbrel.TestBarrier");
const Endpoint kLogind{"org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager"};

/// A screen saver (it answers GetActive) or logind, on a bus connection of its own, speaking on one path.
class FakeBusParty final : public QDBusVirtualObject {
public:
    explicit FakeBusParty(const Endpoint& endpoint)
        : m_service(QString::fromLatin1(endpoint.service))
        , m_path(QString::fromLatin1(endpoint.path))
        , m_interface(QString::fromLatin1(endpoint.interface)) {}
    ~FakeBusParty() override {
        if (!m_connectionName.isEmpty()) {
            m_bus.unregisterObject(m_path);
            QDBusConnection::disconnectFromBus(m_connectionName);
        }
    }
    Q_DISABLE_COPY_MOVE(FakeBusParty)

    void appear() {
        static int count = 0;
        m_connectionName = QStringLiteral("fake-party-%1").arg(++count);
        m_bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, m_connectionName);
        ASSERT_TRUE(m_bus.registerVirtualObject(m_path, this));
        ASSERT_TRUE(m_bus.registerService(m_service));
    }
    /// Emits `member`(value) on the bus; a screen saver also remembers it for GetActive.
    void say(const QString& member, bool value) {
        m_active = value;
        if (!m_connectionName.isEmpty()) {
            m_bus.send(QDBusMessage::createSignal(m_path, m_interface, member) << value);
        }
    }
    void setActive(bool active) { say(QStringLiteral("ActiveChanged"), active); }
    /// Keeps GetActive calls unanswered until answerHeld().
    void holdAnswers() { m_holding = true; }
    void answerHeld() {
        for (const QDBusMessage& call : std::exchange(m_held, {})) {
            m_bus.send(call.createReply(m_active));
        }
    }
    int heldCount() const { return static_cast<int>(m_held.size()); }
    int answered() const { return m_answered; }
    /// Everything this party sent before is handled by its receivers once a test-side spy hears this signal,
    /// since a bus keeps the order of one sender's messages.
    void sendBarrier() { m_bus.send(QDBusMessage::createSignal(m_path, kBarrierInterface, QStringLiteral("Barrier"))); }

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.member() != QLatin1String("GetActive")) {
            return false;
        }
        if (m_holding) {
            message.setDelayedReply(true);
            m_held.push_back(message);
        } else {
            connection.send(message.createReply(m_active));
            ++m_answered;
        }
        return true;
    }

private:
    QString m_service;
    QString m_path;
    QString m_interface;
    QString m_connectionName;
    QDBusConnection m_bus{QString()};
    bool m_active = false;
    bool m_holding = false;
    std::vector<QDBusMessage> m_held;
    int m_answered = 0;
};

/// Counts barrier signals heard on the connection the watcher uses.
class BarrierSpy final : public QObject {
    Q_OBJECT

public:
    BarrierSpy() {
        QDBusConnection::sessionBus().connect({}, {}, kBarrierInterface, QStringLiteral("Barrier"), this,
                                              SLOT(onBarrier()));
    }
    int heard = 0;

private Q_SLOTS:
    void onBarrier() { ++heard; }
};

class ScreenSleepWatcherTest : public ::testing::Test {
protected:
    void start() {
        watcher->start([this](bool asleep) { calls.push_back(asleep); });
    }
    /// Waits until `party` has been fully heard, then compares every call so far.
    void expectCalls(FakeBusParty& party, const std::vector<bool>& expected) {
        const int before = barriers.heard;
        party.sendBarrier();
        ASSERT_TRUE(processEventsUntil([&] { return barriers.heard > before; }));
        EXPECT_EQ(calls, expected);
    }

    testing::CollectedLog log;
    BarrierSpy barriers;
    std::vector<bool> calls;
    std::unique_ptr<DBusScreenSleepWatcher> watcher = std::make_unique<DBusScreenSleepWatcher>(
        QDBusConnection::sessionBus(), QDBusConnection::sessionBus(), log.sink());
};

TEST_F(ScreenSleepWatcherTest, EachSaverIsAskedAtStartAndHeardUntilStopped) {
    for (const Endpoint& endpoint : DBusScreenSleepWatcher::kSaverEndpoints) {
        SCOPED_TRACE(endpoint.path);
        calls.clear();
        FakeBusParty saver(endpoint);
        saver.setActive(true);
        saver.appear();
        start();
        ASSERT_TRUE(processEventsUntil([&] { return saver.answered() == 1; }));
        expectCalls(saver, {true});
        saver.setActive(false);
        saver.setActive(false);
        expectCalls(saver, {true, false});
        saver.setActive(true);
        saver.setActive(true);
        expectCalls(saver, {true, false, true});
        watcher->stop(); // the next row starts it again
        saver.setActive(false);
        expectCalls(saver, {true, false, true});
        EXPECT_FALSE(watcher->isAsleep());
    }
}

TEST_F(ScreenSleepWatcherTest, AsleepWhileAnySourceSaysSo) {
    for (const bool saverEndsFirst : {true, false}) {
        SCOPED_TRACE(saverEndsFirst);
        calls.clear();
        FakeBusParty saver(DBusScreenSleepWatcher::kSaverEndpoints.back());
        saver.appear();
        start();
        FakeBusParty logind(kLogind); // appears after the watch began
        logind.appear();
        const auto prepare = [&](bool sleeping) {
            logind.say(QStringLiteral("PrepareForSleep"), sleeping);
        };

        saver.setActive(true);
        expectCalls(saver, {true});
        prepare(true);
        expectCalls(logind, {true});
        saverEndsFirst ? saver.setActive(false) : prepare(false);
        expectCalls(saverEndsFirst ? saver : logind, {true});
        saverEndsFirst ? prepare(false) : saver.setActive(false);
        expectCalls(saverEndsFirst ? logind : saver, {true, false});
        prepare(true);
        expectCalls(logind, {true, false, true});
        watcher->stop();
    }
}

TEST_F(ScreenSleepWatcherTest, SaversThatLeaveOrComeLaterAreFollowed) {
    auto saver = std::make_unique<FakeBusParty>(DBusScreenSleepWatcher::kSaverEndpoints.front());
    saver->appear();
    start();
    saver->setActive(true);
    expectCalls(*saver, {true});
    saver.reset();
    ASSERT_TRUE(processEventsUntil([&] { return calls.size() == 2; }));

    // Active already when it appears, so only asking it can tell.
    FakeBusParty later(DBusScreenSleepWatcher::kSaverEndpoints.front());
    later.setActive(true);
    later.appear();
    ASSERT_TRUE(processEventsUntil([&] { return later.answered() == 1; }));
    expectCalls(later, {true, false, true});
}

TEST_F(ScreenSleepWatcherTest, AbsentServicesAreNeitherErrorsNorChanges) {
    start();
    const auto unanswered = [&] {
        return std::count_if(log.lines.begin(), log.lines.end(), [](const auto& line) {
            return line.second.starts_with("screens: no screen saver state from ");
        });
    };
    ASSERT_TRUE(processEventsUntil([&] { return unanswered() == 3; }));
    for (const auto& [level, line] : log.lines) {
        EXPECT_EQ(level, LogLevel::debug) << line;
    }
    EXPECT_TRUE(calls.empty());
}

TEST_F(ScreenSleepWatcherTest, DestroyedWhileASaverIsStillAnswering) {
    FakeBusParty saver(DBusScreenSleepWatcher::kSaverEndpoints.back());
    saver.holdAnswers();
    saver.setActive(true);
    saver.appear();
    start();
    ASSERT_TRUE(processEventsUntil([&] { return saver.heldCount() == 1; }));
    watcher.reset();
    saver.answerHeld();
    expectCalls(saver, {});
}

} // namespace
} // namespace nimbrel

#include "screen_sleep_watcher_test.moc"
