#pragma once

#include <functional>
#include <string_view>

#include "app/log/log_sink.h"

class QUrl;

namespace nimbrel {

/// Software updates. On Linux Nimbrel is installed and updated through the system's packages, so there is
/// no in-app updater to start: the controller says so once at start, and "Check for Updates…" shows the
/// project's releases page, where the user can see whether a newer version exists.
class UpdateController final {
public:
    /// Opens an address in the user's browser; answers whether it could.
    using UrlOpener = std::function<bool(const QUrl&)>;

    /// Logged once at start.
    static constexpr std::string_view kUpdatesOffLine =
        "updates: Nimbrel is updated by your system\u2019s packages — the in-app updater is off";
    /// Where "Check for Updates…" leads.
    static constexpr std::string_view kReleasesPage = "https://github.com/quillmoor/nimbrel/releases";

    /// `openUrl` defaults to the desktop's handler (xdg-open).
    explicit UpdateController(LogSink log = appLogSink(), UrlOpener openUrl = {});

    /// Logs that updates come through the system's packages.
    void start();
    /// Whether an in-app updater runs; never on Linux.
    bool isConfigured() const noexcept { return false; }
    /// Opens the releases page in the browser; answers whether the browser could be asked.
    bool checkForUpdates();

private:
    LogSink m_log;
    UrlOpener m_openUrl;
};

} // namespace nimbrel
