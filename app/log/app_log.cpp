#include "app/log/app_log.h"

#include <atomic>
#include <ctime>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

#include "app/log/log_sink.h"

namespace nimbrel {
namespace {

std::atomic<AppLog*> g_installedLog{nullptr};

int syslogPriority(LogLevel level) {
    switch (level) {
    case LogLevel::debug:
        return LOG_DEBUG;
    case LogLevel::info:
        return LOG_INFO;
    case LogLevel::error:
        return LOG_ERR;
    }
    return LOG_INFO;
}

std::string_view levelWord(LogLevel level) {
    switch (level) {
    case LogLevel::debug:
        return "DEBUG";
    case LogLevel::info:
        return "INFO";
    case LogLevel::error:
        return "ERROR";
    }
    return "INFO";
}

// Writes all of `data`, retrying short writes and interruptions. Failures are silent: the line already
// reached the system log.
void writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
}

// Creates the folder and any missing parents as 0700: the log sits beside the user's private files.
void createPrivateFolder(const std::filesystem::path& folder) {
    std::error_code error;
    if (folder.empty() || std::filesystem::is_directory(folder, error)) {
        return;
    }
    createPrivateFolder(folder.parent_path());
    ::mkdir(folder.c_str(), 0700);
}

} // namespace

AppLog::AppLog(Options options)
    : m_options(std::move(options)) {
    m_writer = std::thread([this] { run(); });
}

AppLog::~AppLog() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_writer.join();
    if (g_installedLog.load() == this) {
        g_installedLog.store(nullptr);
    }
}

void AppLog::writeToSyslog(LogLevel level, std::string_view message) {
    // openlog is idempotent and keeps the identifier's pointer, which is a literal here.
    static const bool opened = [] {
        ::openlog(kSystemLogIdentifier, LOG_PID, LOG_USER);
        return true;
    }();
    static_cast<void>(opened);
    ::syslog(syslogPriority(level), "%.*s", static_cast<int>(message.size()), message.data());
}

std::string AppLog::formatLine(std::chrono::system_clock::time_point time, LogLevel level, std::string_view message) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    char stamp[32];
    const std::size_t length = std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);
    std::string line;
    line.reserve(length + message.size() + 10);
    line.append("[").append(stamp, length).append("] ").append(levelWord(level)).append(" ").append(message);
    return line;
}

void AppLog::write(std::string_view message, LogLevel level) {
    if (level == LogLevel::debug && !m_options.debugEnabled) {
        return;
    }
    if (m_options.systemLog) {
        m_options.systemLog(level, message);
    }
    std::string line = formatLine(m_options.clock(), level, message);
    line.push_back('\n');
    {
        const std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(line));
        ++m_queued;
    }
    m_wake.notify_one();
}

void AppLog::flush() {
    std::unique_lock lock(m_mutex);
    const std::uint64_t target = m_queued;
    m_drained.wait(lock, [&] { return m_written >= target; });
}

void AppLog::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_stopping || !m_queue.empty(); });
        if (m_queue.empty()) {
            return; // stopping, and everything is written
        }
        std::string line = std::move(m_queue.front());
        m_queue.pop_front();
        lock.unlock();
        appendToFile(line);
        lock.lock();
        ++m_written;
        m_drained.notify_all();
    }
}

void AppLog::appendToFile(const std::string& line) {
    std::error_code ignored;
    createPrivateFolder(m_options.folder);
    const std::filesystem::path file = filePath();
    const std::uintmax_t size = std::filesystem::file_size(file, ignored);
    if (!ignored && size >= kRotationSize) {
        const std::filesystem::path rotated = m_options.folder / kRotatedFileName;
        std::filesystem::remove(rotated, ignored);
        std::filesystem::rename(file, rotated, ignored);
    }
    // The log can hold track titles and workspace names: private to the user, like the other files.
    const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return;
    }
    writeAll(fd, line);
    ::close(fd);
}

void installAppLog(AppLog* log) {
    g_installedLog.store(log);
}

void flushAppLog() {
    if (AppLog* installed = g_installedLog.load()) {
        installed->flush();
    }
}

LogSink appLogSink() {
    return [](LogLevel level, std::string_view line) {
        log(line, level);
    };
}

void log(std::string_view message, LogLevel level) {
    if (AppLog* installed = g_installedLog.load()) {
        installed->write(message, level);
    }
}

} // namespace nimbrel
