#pragma once

#include "app/log/app_log.h"
#include "app/settings/user_defaults.h"
#include "app/storage/app_folder.h"

namespace nimbrel {

// The process's one application log, installed for as long as the process runs.
class InstalledAppLog {
public:
    InstalledAppLog()
        : m_log({.folder = AppFolder::fromEnvironment().path(),
                 .debugEnabled = UserDefaults::flag(UserDefaults::kDebugLogging)}) {
        installAppLog(&m_log);
    }
    ~InstalledAppLog() { installAppLog(nullptr); }
    InstalledAppLog(const InstalledAppLog&) = delete;
    InstalledAppLog& operator=(const InstalledAppLog&) = delete;

private:
    AppLog m_log;
};

} // namespace nimbrel
