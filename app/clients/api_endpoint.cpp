#include "app/clients/api_endpoint.h"

#include "app/log/app_log.h"
#include "app/settings/user_defaults.h"

#ifndef NIMBREL_SIGNIN_URL
#error "NIMBREL_SIGNIN_URL must be defined by the build"
#endif

namespace nimbrel {

QUrl APIEndpoint::builtInBaseURL() {
    return QUrl(QString::fromUtf8(NIMBREL_SIGNIN_URL));
}

const QUrl& APIEndpoint::baseURL() {
    // Once per process, safe under concurrent first use.
    static const QUrl base = resolve();
    return base;
}

QUrl APIEndpoint::resolve() {
    if (const std::optional<QUrl> overridden = UserDefaults::httpAddress(UserDefaults::kAPIBaseURL)) {
        log(kOverrideLogPrefix + overridden->toString().toStdString(), LogLevel::info);
        return *overridden;
    }
    return builtInBaseURL();
}

bool APIEndpoint::isConfigured(const QUrl& base) {
    // Any case: QUrl writes host names in lower case.
    return base.isValid() && !base.toString().contains(QString::fromLatin1(kPlaceholderMarker), Qt::CaseInsensitive);
}

} // namespace nimbrel
