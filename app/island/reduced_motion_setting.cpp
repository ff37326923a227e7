#include "app/island/reduced_motion_setting.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace nimbrel {
namespace {

// The portal's Read wraps the value in one variant more than its signature says; take off every layer.
QVariant unwrapped(QVariant value) {
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>()) {
        value = value.value<QDBusVariant>().variant();
    }
    return value;
}

} // namespace

ReducedMotionSetting::ReducedMotionSetting(QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus)) {}

void ReducedMotionSetting::start() {
    m_bus.connect(kPortalService.toString(), kPortalPath.toString(), kSettingsInterface.toString(),
                  QStringLiteral("SettingChanged"), this, SLOT(settingChanged(QDBusMessage)));
    read(kGnomeNamespace, kGnomeKey);
    read(kKdeNamespace, kKdeKey);
}

void ReducedMotionSetting::read(QStringView group, QStringView key) {
    QDBusMessage call = QDBusMessage::createMethodCall(kPortalService.toString(), kPortalPath.toString(),
                                                       kSettingsInterface.toString(), QStringLiteral("Read"));
    call << group.toString() << key.toString();
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, group = group.toString(), key = key.toString()](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<QDBusVariant> reply = *finished;
                // No portal, or a desktop without this key: the default stands.
                if (!reply.isError()) {
                    apply(group, key, reply.value().variant());
                }
            });
}

void ReducedMotionSetting::settingChanged(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() == 3) {
        apply(arguments.at(0).toString(), arguments.at(1).toString(), arguments.at(2));
    }
}

void ReducedMotionSetting::apply(const QString& group, const QString& key, const QVariant& value) {
    const bool before = isReduced();
    const QVariant plain = unwrapped(value);
    if (group == kGnomeNamespace && key == kGnomeKey && plain.typeId() == QMetaType::Bool) {
        m_gnomeOff = !plain.toBool();
    } else if (group == kKdeNamespace && key == kKdeKey) {
        // KDE hands its configuration over as text ("0", "0.5"); anything that is no number changes nothing.
        bool isNumber = false;
        const double factor = plain.toDouble(&isNumber);
        if (!isNumber) {
            return;
        }
        m_kdeInstant = factor == 0;
    } else {
        return;
    }
    if (isReduced() != before) {
        Q_EMIT changed(isReduced());
    }
}

} // namespace nimbrel
