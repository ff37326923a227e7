#include "app/shell/file_manager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QUrl>

#include "app/shell/external_opener.h"

namespace nimbrel {

void showInFileManager(const std::filesystem::path& file, const LogSink& log) {
    const QUrl fileUrl = QUrl::fromLocalFile(QString::fromStdString(file.string()));
    const QUrl folderUrl = QUrl::fromLocalFile(QString::fromStdString(file.parent_path().string()));
    QDBusMessage request = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    request.setArguments({QStringList{fileUrl.toString(QUrl::FullyEncoded)}, QString()});
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openExternally(folderUrl, log);
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(request), nullptr);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [watcher, folderUrl, log] {
        watcher->deleteLater();
        // No file manager with the interface: the folder at least.
        if (watcher->isError()) {
            openExternally(folderUrl, log);
        }
    });
}

} // namespace nimbrel
