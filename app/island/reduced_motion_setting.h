#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QObject>
#include <QString>

namespace nimbrel {

/// Whether the desktop asks for reduced motion, read through the XDG desktop portal's Settings interface
/// (which GNOME, KDE and others answer): GNOME's `enable-animations` switched off, or KDE's animation speed
/// set to instant. Without a portal, or before it answers, motion is not reduced.
class ReducedMotionSetting final : public QObject {
    Q_OBJECT

public:
    static constexpr QStringView kPortalService = u"org.freedesktop.portal.Desktop";
    static constexpr QStringView kPortalPath = u"/org/freedesktop/portal/desktop";
    static constexpr QStringView kSettingsInterface = u"org.freedesktop.portal.Settings";
    static constexpr QStringView kGnomeNamespace = u"org.gnome.desktop.interface";
    static constexpr QStringView kGnomeKey = u"enable-animations";
    static constexpr QStringView kKdeNamespace = u"org.kde.kdeglobals.KDE";
    static constexpr QStringView kKdeKey = u"AnimationDurationFactor";

    explicit ReducedMotionSetting(QDBusConnection bus, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(ReducedMotionSetting)

    /// Asks the portal (asynchronously) and follows its changes.
    void start();
    bool isReduced() const noexcept { return m_gnomeOff || m_kdeInstant; }

Q_SIGNALS:
    /// The answer changed.
    void changed(bool reduced);

private Q_SLOTS:
    void settingChanged(const QDBusMessage& message);

private:
    void read(QStringView group, QStringView key);
    void apply(const QString& group, const QString& key, const QVariant& value);

    QDBusConnection m_bus;
    bool m_gnomeOff = false;
    bool m_kdeInstant = false;
};

} // namespace nimbrel
