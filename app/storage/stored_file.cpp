#include "app/storage/stored_file.h"

#include <cstdio>
#include <utility>
#include <variant>

#include "app/storage/atomic_file.h"
#include "app/storage/folder_lock.h"

namespace nimbrel {
namespace {

// Enough for many saves within one second; past that, something is wrong and the save fails instead.
constexpr int kMaxKeptNameAttempts = 1000;

} // namespace

StoredFile::StoredFile(AppFolder folder, std::string_view name, std::size_t maxBytes, Texts texts, LogSink log,
                       Clock clock)
    : m_folder(std::move(folder))
    , m_name(name)
    , m_maxBytes(maxBytes)
    , m_texts(texts)
    , m_log(std::move(log))
    , m_clock(std::move(clock)) {}

FileReading StoredFile::load() {
    m_folder.open();
    FileReading reading = FileReading::of(path(), m_maxBytes);
    m_seen = reading.stamp;
    m_hasSeen = true;
    m_unreadable = reading.condition == FileReading::Condition::unreadable ? reading.problem : std::nullopt;
    return reading;
}

std::optional<FileError> StoredFile::createIfMissing(std::string_view bytes) {
    if (std::optional<FileError> error = m_folder.create()) {
        return FileError{path(), "create", error->code, error->reason};
    }
    // A lock that cannot be had (a read-only folder) is reported for the file the user knows.
    std::variant<FolderLock, FileError> lock = FolderLock::acquire(m_folder.path());
    if (FileError* error = std::get_if<FileError>(&lock)) {
        return FileError{path(), "create", error->code, error->reason};
    }
    std::optional<FileError> error = AtomicFile::create(path(), bytes);
    if (error && error->isAlreadyThere()) {
        return std::nullopt;
    }
    return error;
}

std::optional<FileError> StoredFile::save(std::string_view bytes) {
    std::optional<FileError> error = saveLocked(bytes);
    if (error) {
        logLine(LogLevel::error, std::string(m_texts.saveFailedPrefix) + error->description());
    }
    return error;
}

std::optional<FileError> StoredFile::saveLocked(std::string_view bytes) {
    const std::filesystem::path file = path();
    if (std::optional<FileError> error = m_folder.create()) {
        return FileError{file, "write", error->code, error->reason};
    }
    std::variant<FolderLock, FileError> lock = FolderLock::acquire(m_folder.path());
    if (FileError* error = std::get_if<FileError>(&lock)) {
        return FileError{file, "write", error->code, error->reason};
    }
    const std::optional<FileStamp> onDisk = FileStamp::of(file);
    if (m_unreadable) {
        std::error_code ignored;
        if (std::filesystem::exists(std::filesystem::symlink_status(file, ignored))) {
            if (std::optional<FileError> error = keepUnreadableFile()) {
                return error;
            }
        }
        m_unreadable.reset();
    } else if (m_hasSeen && onDisk && onDisk != m_seen) {
        logLine(LogLevel::error, replacedLine(m_texts.context, m_name));
    }
    if (std::optional<FileError> error = AtomicFile::write(file, bytes)) {
        return error;
    }
    // Still under the lock, so the version on disk is the one just written.
    m_seen = FileStamp::of(file);
    m_hasSeen = true;
    return std::nullopt;
}

std::optional<FileError> StoredFile::keepUnreadableFile() {
    const std::filesystem::path file = path();
    const std::string base = file.string() + std::string(kUnreadableInfix) + timestamp(m_clock());
    std::optional<FileError> failure;
    for (int attempt = 1; attempt <= kMaxKeptNameAttempts; ++attempt) {
        const std::filesystem::path copy = attempt == 1 ? base : base + "-" + std::to_string(attempt);
        failure = AtomicFile::keepAside(file, copy);
        if (!failure) {
            logLine(LogLevel::error, keptAsideLine(m_texts.context, m_name, *m_unreadable, copy));
            return std::nullopt;
        }
        if (!failure->isAlreadyThere()) {
            break;
        }
    }
    FileError error = std::move(*failure);
    error.reason = std::string(kUnreadableNotKept) + error.explanation();
    return error;
}

std::string StoredFile::keptAsideLine(std::string_view context, std::string_view name, std::string_view why,
                                      const std::filesystem::path& copy) {
    return std::string(context) + ": " + std::string(name) + " could not be read (" + std::string(why) +
           "), so it was kept as \u201C" + copy.string() + "\u201D before being replaced";
}

std::string StoredFile::replacedLine(std::string_view context, std::string_view name) {
    return std::string(context) + ": " + std::string(name) +
           " was changed by another process since Nimbrel read it; this save replaces that change";
}

std::string StoredFile::timestamp(std::chrono::system_clock::time_point instant) {
    using namespace std::chrono;
    const sys_seconds seconds = floor<std::chrono::seconds>(instant);
    const sys_days day = floor<days>(seconds);
    const year_month_day date{day};
    const hh_mm_ss time{seconds - day};
    char buffer[32];
    const int written =
        std::snprintf(buffer, sizeof buffer, "%04d%02u%02uT%02d%02d%02dZ", int{date.year()}, unsigned{date.month()},
                      unsigned{date.day()}, static_cast<int>(time.hours().count()),
                      static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count()));
    return std::string(buffer, written > 0 ? static_cast<std::size_t>(written) : 0);
}

void StoredFile::logLine(LogLevel level, const std::string& line) const {
    if (m_log) {
        m_log(level, line);
    }
}

} // namespace nimbrel
