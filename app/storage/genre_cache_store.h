#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>

#include "app/log/log_sink.h"
#include "app/storage/app_folder.h"
#include "app/storage/file_reading.h"
#include "app/storage/stored_file.h"
#include "core/genres/genre_cache.h"
#include "core/time/instant.h"

namespace nimbrel {

/// The genre cache file, "genre-cache.json", beside the configuration. Not thread-safe.
class GenreCacheStore {
public:
    /// The most genre-cache.json may hold: room for hundreds of thousands of artists.
    static constexpr std::size_t kMaxBytes = 64 * 1024 * 1024;
    static constexpr std::string_view kUnreadableLine =
        "genres: the genre cache was unreadable \u2014 starting a fresh one";
    /// Logged at error level, followed by the system's description of the error.
    static constexpr std::string_view kSaveFailedPrefix = "genres: couldn\u2019t save the genre cache \u2014 ";

    /// The cache as read, without side effects.
    struct Reading {
        FileReading file;
        /// The decoded cache; empty when the file is missing or unusable.
        GenreCache cache;
    };

    GenreCacheStore(AppFolder folder, LogSink log, StoredFile::Clock clock = std::chrono::system_clock::now);

    /// Reads and decodes `file` as the program does; writes and logs nothing.
    static Reading read(const std::filesystem::path& file);

    std::filesystem::path path() const { return m_file.path(); }

    /// Reads the cache. A missing file gives an empty cache silently; an unusable one is logged as
    /// unreadable and kept aside by the next save.
    Reading load();
    /// Prunes `cache` at `now` (entries leave the file only by expiring), then writes it pretty-printed with
    /// sorted keys, replacing the file atomically. A failure is logged and returned, and leaves the
    /// in-memory cache as it is.
    std::optional<FileError> save(GenreCache& cache, Instant now);

private:
    LogSink m_log;
    StoredFile m_file;
};

} // namespace nimbrel
