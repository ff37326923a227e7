#pragma once

#include <QtGlobal>
#include <iostream>
#include <string>

#include "app/log/app_log.h"
#include "app/settings/user_defaults.h"
#include "app/storage/app_folder.h"

namespace nimbrel {

// The process's one application log, installed for as long as the process runs. Qt's own messages go into
// it as debug lines instead of onto the terminal, where they would mix with what the commands print.
class InstalledAppLog {
public:
    InstalledAppLog()
        : m_log({.folder = AppFolder::fromEnvironment().path(),
                 .debugEnabled = UserDefaults::flag(UserDefaults::kDebugLogging)}) {
        installAppLog(&m_log);
        m_previousHandler = qInstallMessageHandler(routeQtMessage);
    }
    ~InstalledAppLog() {
        qInstallMessageHandler(m_previousHandler);
        installAppLog(nullptr);
    }
    InstalledAppLog(const InstalledAppLog&) = delete;
    InstalledAppLog& operator=(const InstalledAppLog&) = delete;

private:
    static void routeQtMessage(QtMsgType type, const QMessageLogContext& /*context*/, const QString& message) {
        const std::string line = "qt: " + message.toStdString();
        if (type != QtFatalMsg) {
            log(line, LogLevel::debug);
            return;
        }
        // Qt ends the process after a fatal message: the user must see why.
        log(line, LogLevel::error);
        flushAppLog();
        std::cerr << "nimbrel: " << line << '\n';
    }

    AppLog m_log;
    QtMessageHandler m_previousHandler = nullptr;
};

} // namespace nimbrel
