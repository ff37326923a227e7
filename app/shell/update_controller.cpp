#include "app/shell/update_controller.h"

#include <QString>
#include <QUrl>
#include <string>
#include <utility>

#include "app/shell/external_opener.h"

namespace nimbrel {

UpdateController::UpdateController(LogSink log, UrlOpener openUrl)
    : m_log(std::move(log))
    , m_openUrl(std::move(openUrl)) {
    if (!m_openUrl) {
        m_openUrl = [log = m_log](const QUrl& url) {
            return openExternally(url, log);
        };
    }
}

void UpdateController::start() {
    if (m_log) {
        m_log(LogLevel::info, kUpdatesOffLine);
    }
}

bool UpdateController::checkForUpdates() {
    const QUrl page(QString::fromUtf8(kReleasesPage.data(), static_cast<qsizetype>(kReleasesPage.size())));
    if (m_log) {
        m_log(LogLevel::info, "updates: opening the releases page " + std::string(kReleasesPage));
    }
    return m_openUrl(page);
}

} // namespace nimbrel
