#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "app/log/log_level.h"

namespace nimbrel {

/// The one application log: every line goes to the system log (syslog, which journald collects) on the
/// caller's thread, then to app.log in the app folder on a serial background thread, in call order.
/// app.log is rotated to app.log.1 once it has reached kRotationSize bytes, so at most two files exist.
///
/// The application object owns its log and installs it with `installAppLog`; the free function `log`
/// writes through the installed one, so code anywhere can log without being handed the object.
class AppLog {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;
    /// Where a line goes before it is queued for app.log; called on the logging thread.
    using SystemLogWriter = std::function<void(LogLevel level, std::string_view message)>;

    /// The identifier of our system-log lines (`journalctl --user -t com.quillmoor.nimbrel`).
    static constexpr const char* kSystemLogIdentifier = "com.quillmoor.nimbrel";
    static constexpr std::string_view kFileName = "app.log";
    static constexpr std::string_view kRotatedFileName = "app.log.1";
    /// A file of this size or more is rotated before the next line is appended.
    static constexpr std::uintmax_t kRotationSize = 262'145;

    struct Options {
        /// The folder that holds app.log; created if missing.
        std::filesystem::path folder;
        /// Whether debug lines are kept. Read once per process by whoever builds the log.
        bool debugEnabled = false;
        /// The system log; tests collect the lines instead, and leave nothing in the user's journal.
        SystemLogWriter systemLog = writeToSyslog;
        Clock clock = std::chrono::system_clock::now;
    };

    explicit AppLog(Options options);
    /// Writes every line queued so far, then stops the writer.
    ~AppLog();
    AppLog(const AppLog&) = delete;
    AppLog& operator=(const AppLog&) = delete;

    /// Logs `message` at `level`; returns at once. Debug lines are dropped unless debug logging is on.
    void write(std::string_view message, LogLevel level);
    /// Blocks until every line queued before the call is in app.log.
    void flush();

    bool debugEnabled() const noexcept { return m_options.debugEnabled; }
    std::filesystem::path filePath() const { return m_options.folder / kFileName; }

    /// Writes to syslog under kSystemLogIdentifier, the level mapped to its priority.
    static void writeToSyslog(LogLevel level, std::string_view message);

    /// One line of app.log, without its line feed: "[2026-12-06T21:04:05Z] INFO message".
    static std::string formatLine(std::chrono::system_clock::time_point time, LogLevel level, std::string_view message);

private:
    void run();
    void appendToFile(const std::string& line);

    Options m_options;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_drained;
    std::deque<std::string> m_queue;
    std::uint64_t m_queued = 0;
    std::uint64_t m_written = 0;
    bool m_stopping = false;
    std::thread m_writer;
};

/// Makes `log` the destination of the free function `log`; nullptr uninstalls. The caller keeps ownership
/// and must uninstall before destroying it.
void installAppLog(AppLog* log);

/// Blocks until every line logged so far is in app.log; for a process about to end without unwinding.
void flushAppLog();

/// Writes a line to the installed application log; does nothing when none is installed.
void log(std::string_view message, LogLevel level = LogLevel::info);

} // namespace nimbrel
