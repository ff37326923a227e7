#include "app/settings/user_defaults.h"

#include <QSettings>
#include <QVariant>

namespace nimbrel {

std::filesystem::path UserDefaults::settingsFile() {
    const QSettings settings(QString::fromLatin1(kOrganization), QString::fromLatin1(kApplication));
    return settings.fileName().toStdString();
}

std::optional<QString> UserDefaults::text(const char* name) {
    if (qEnvironmentVariableIsSet(name)) {
        return qEnvironmentVariable(name);
    }
    const QSettings settings(QString::fromLatin1(kOrganization), QString::fromLatin1(kApplication));
    const QVariant value = settings.value(QString::fromLatin1(name));
    if (!value.isValid()) {
        return std::nullopt;
    }
    return value.toString();
}

bool UserDefaults::flag(const char* name) {
    const std::optional<QString> value = text(name);
    if (!value) {
        return false;
    }
    const QString word = value->trimmed().toLower();
    return word == u"1" || word == u"true" || word == u"yes";
}

std::optional<QUrl> UserDefaults::httpAddress(const char* name) {
    const std::optional<QString> value = text(name);
    if (!value) {
        return std::nullopt;
    }
    const QUrl url(value->trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != u"http" && scheme != u"https")) {
        return std::nullopt;
    }
    return url;
}

} // namespace nimbrel
