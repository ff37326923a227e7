#include "app/island/reduced_motion_setting.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QObject>
#include <map>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/manual_timers.h"

namespace nimbrel {
namespace {

using testing::processEventsUntil;

/// The desktop portal's Settings interface on the test's private bus, holding the values a test sets. Read
/// answers as the portal does, with the value wrapped in one variant too many.
class FakeSettingsPortal final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

public:
    FakeSettingsPortal()
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-portal"))) {}
    ~FakeSettingsPortal() override { QDBusConnection::disconnectFromBus(QStringLiteral("fake-portal")); }

    bool appear() {
        return m_bus.registerObject(ReducedMotionSetting::kPortalPath.toString(), this,
                                    QDBusConnection::ExportAllSlots) &&
               m_bus.registerService(ReducedMotionSetting::kPortalService.toString());
    }
    void set(const QString& group, const QString& key, const QVariant& value) {
        values[{group, key}] = value;
        QDBusMessage signal = QDBusMessage::createSignal(ReducedMotionSetting::kPortalPath.toString(),
                                                         ReducedMotionSetting::kSettingsInterface.toString(),
                                                         QStringLiteral("SettingChanged"));
        signal << group << key << QVariant::fromValue(QDBusVariant(value));
        m_bus.send(signal);
    }

    std::map<std::pair<QString, QString>, QVariant> values;

public Q_SLOTS:
    QDBusVariant Read(const QString& group, const QString& key, QDBusMessage message) {
        const auto found = values.find({group, key});
        if (found == values.end()) {
            message.setDelayedReply(true); // the error below is the reply
            m_bus.send(message.createErrorReply(QStringLiteral("org.freedesktop.portal.Error.NotFound"),
                                                QStringLiteral("Requested setting not found")));
            return {};
        }
        return QDBusVariant(QVariant::fromValue(QDBusVariant(found->second)));
    }

private:
    QDBusConnection m_bus;
};

const QString kGnome = ReducedMotionSetting::kGnomeNamespace.toString();
const QString kAnimations = ReducedMotionSetting::kGnomeKey.toString();
const QString kKde = ReducedMotionSetting::kKdeNamespace.toString();
const QString kFactor = ReducedMotionSetting::kKdeKey.toString();

TEST(ReducedMotionSetting, WithoutAPortalMotionIsNotReduced) {
    ReducedMotionSetting setting(QDBusConnection::sessionBus());
    setting.start();
    processEventsUntil([] { return false; }, std::chrono::milliseconds(200));
    EXPECT_FALSE(setting.isReduced());
}

TEST(ReducedMotionSetting, ReadsAndFollowsTheDesktop) {
    FakeSettingsPortal portal;
    portal.values[{kGnome, kAnimations}] = false;
    ASSERT_TRUE(portal.appear());

    ReducedMotionSetting setting(QDBusConnection::sessionBus());
    std::vector<bool> changes;
    QObject::connect(&setting, &ReducedMotionSetting::changed, [&](bool reduced) { changes.push_back(reduced); });
    setting.start();
    ASSERT_TRUE(processEventsUntil([&] { return setting.isReduced(); }));

    portal.set(kGnome, kAnimations, true);
    ASSERT_TRUE(processEventsUntil([&] { return !setting.isReduced(); }));
    // KDE's instant animations reduce motion too; text that is no number changes nothing.
    portal.set(kKde, kFactor, QStringLiteral("0"));
    ASSERT_TRUE(processEventsUntil([&] { return setting.isReduced(); }));
    portal.set(kKde, kFactor, QStringLiteral("fast"));
    portal.set(kKde, kFactor, QStringLiteral("1"));
    ASSERT_TRUE(processEventsUntil([&] { return !setting.isReduced(); }));
    // Other settings are none of its business.
    portal.set(kGnome, QStringLiteral("color-scheme"), 1U);
    processEventsUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(changes, (std::vector<bool>{true, false, true, false}));
}

} // namespace
} // namespace nimbrel

#include "reduced_motion_setting_test.moc"
