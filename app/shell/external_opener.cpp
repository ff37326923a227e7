#include "app/shell/external_opener.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <string>

namespace nimbrel {

namespace {

constexpr auto kOpenerProgram = "xdg-open";

} // namespace

bool openExternally(const QUrl& url, const LogSink& log) {
    // Only whole addresses with a scheme go out: a relative one would be taken by xdg-open as a file name
    // relative to whatever folder the program was started in.
    if (!url.isValid() || url.isRelative()) {
        if (log) {
            log(LogLevel::error, "open: refused to open \u201C" + url.toDisplayString().toStdString() +
                                     "\u201D — it is not a whole address");
        }
        return false;
    }
    const QString address = url.toString(QUrl::FullyEncoded);
    QProcess opener;
    opener.setProgram(QString::fromLatin1(kOpenerProgram));
    opener.setArguments({address});
    opener.setStandardInputFile(QProcess::nullDevice());
    if (opener.startDetached()) {
        return true;
    }
    if (log) {
        log(LogLevel::error, "open: couldn\u2019t start " + std::string(kOpenerProgram) + " for " +
                                 address.toStdString() + " (" + opener.errorString().toStdString() + ")");
    }
    return false;
}

} // namespace nimbrel
