#pragma once

#include <QByteArray>
#include <QFuture>
#include <QProcess>
#include <QStringList>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/log/app_log.h"
#include "tests/support/temporary_folder.h"

namespace nimbrel::testing {

/// The result of a future from the token store, waited for at most 20 s: a keyring call that hangs (on a
/// prompt nobody can answer, say) ends the test executable with a message instead of stalling the suite.
template <typename T>
T settled(QFuture<T> future) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!future.isFinished()) {
        if (std::chrono::steady_clock::now() > deadline) {
            std::fputs("a keyring call did not finish within 20 s\n", stderr);
            std::_Exit(EXIT_FAILURE);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return future.result();
}

/// Installs an application log for the test's lifetime and keeps what reaches the system log.
class CapturedLog {
public:
    CapturedLog()
        : m_log({.folder = m_folder.path(), .systemLog = [this](LogLevel, std::string_view message) {
                     const std::lock_guard lock(m_mutex);
                     m_messages.emplace_back(message);
                 }}) {
        installAppLog(&m_log);
    }
    ~CapturedLog() { installAppLog(nullptr); }
    CapturedLog(const CapturedLog&) = delete;
    CapturedLog& operator=(const CapturedLog&) = delete;

    std::vector<std::string> messages() {
        m_log.flush();
        const std::lock_guard lock(m_mutex);
        return m_messages;
    }
    /// app.log as written so far.
    std::string file() {
        m_log.flush();
        return readBytes(m_log.filePath());
    }

private:
    TemporaryFolder m_folder;
    std::mutex m_mutex;
    std::vector<std::string> m_messages;
    AppLog m_log;
};

struct ToolRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

/// Runs `secret-tool` (the Secret Service's command-line client) with `input` on its standard input.
inline ToolRun secretTool(const std::vector<std::string>& arguments, std::string_view input = {}) {
    QStringList qArguments;
    for (const std::string& argument : arguments) {
        qArguments.append(QString::fromStdString(argument));
    }
    QProcess process;
    process.start(QStringLiteral("secret-tool"), qArguments);
    process.write(input.data(), static_cast<qint64>(input.size()));
    process.closeWriteChannel();
    if (!process.waitForFinished(15'000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace nimbrel::testing
