#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/log/log_sink.h"
#include "app/storage/app_folder.h"
#include "app/storage/file_error.h"
#include "app/storage/file_reading.h"

namespace nimbrel {

/// What the three stores share about their file: reading it, keeping an unreadable file aside before it
/// is replaced, and saving under the folder's lock.
///
/// Guarantees when several processes share the folder: saves never interleave (each holds the folder
/// lock while it keeps a file aside and replaces it); a file is always whole, the old version or the new,
/// and never missing once written; the first-run write never replaces a file that appeared meanwhile;
/// and a save that replaces a version another process wrote after this one was read says so in the log
/// (the last save wins, but not silently).
class StoredFile {
public:
    /// The clock that stamps the names of kept files.
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    /// Between the file's name and the time stamp of a kept unreadable file.
    static constexpr std::string_view kUnreadableInfix = ".unreadable-";
    /// Explains a save refused because the unreadable file could not be kept aside; the reason follows.
    static constexpr std::string_view kUnreadableNotKept =
        "it could not be read and no copy of it could be kept, so it was left as it is: ";

    /// How a store names itself in the log.
    struct Texts {
        /// Begins every line: "applyConfig", "state", "genres".
        std::string_view context;
        /// Begins the line of a failed save; the error's description follows.
        std::string_view saveFailedPrefix;
    };

    StoredFile(AppFolder folder, std::string_view name, std::size_t maxBytes, Texts texts, LogSink log, Clock clock);

    /// The file's path in the folder.
    std::filesystem::path path() const { return m_folder.file(m_name); }

    /// Opens the folder (see `AppFolder::open`) and reads the file, remembering which version was read.
    FileReading load();
    /// Remembers that the file just loaded could not be used, and why; the next save keeps it aside.
    void noteUnusable(std::string reason) { m_unreadable = std::move(reason); }
    /// Why the file on disk was unusable at the last load, until a save has kept it aside.
    const std::optional<std::string>& unreadable() const noexcept { return m_unreadable; }

    /// Creates the file with `bytes` unless something already has its name (another process may have
    /// written it since it was found missing). Already there is no error.
    std::optional<FileError> createIfMissing(std::string_view bytes);

    /// Replaces the file with `bytes` atomically, under the folder lock, first keeping an unusable file
    /// aside as `<name>.unreadable-<UTC time>`. Every failure is logged at error level and returned; the
    /// file on disk is then as it was.
    std::optional<FileError> save(std::string_view bytes);

    /// The error line for a kept unreadable file.
    static std::string keptAsideLine(std::string_view context, std::string_view name, std::string_view why,
                                     const std::filesystem::path& copy);
    /// The line for a save that replaced a version another process wrote.
    static std::string replacedLine(std::string_view context, std::string_view name);
    /// The UTC time as it appears in a kept file's name: "20261206T191500Z".
    static std::string timestamp(std::chrono::system_clock::time_point instant);

private:
    std::optional<FileError> saveLocked(std::string_view bytes);
    std::optional<FileError> keepUnreadableFile();
    void logLine(LogLevel level, const std::string& line) const;

    AppFolder m_folder;
    std::string m_name;
    std::size_t m_maxBytes;
    Texts m_texts;
    LogSink m_log;
    Clock m_clock;
    /// The version on disk as last read or written by this store; none when it was missing.
    std::optional<FileStamp> m_seen;
    bool m_hasSeen = false;
    std::optional<std::string> m_unreadable;
};

} // namespace nimbrel
