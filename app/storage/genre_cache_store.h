#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "app/storage/loaded_file.h"
#include "app/storage/log_sink.h"
#include "core/genres/genre_cache.h"
#include "core/time/instant.h"

namespace nimbrel {

/// The genre cache file, "genre-cache.json", beside the configuration.
struct GenreCacheStore final {
    GenreCacheStore() = delete;

    static constexpr std::string_view kUnreadableLine =
        "genres: the genre cache was unreadable \u2014 starting a fresh one";
    /// Logged at error level, followed by the system's description of the error.
    static constexpr std::string_view kSaveFailedPrefix = "genres: couldn\u2019t save the genre cache \u2014 ";

    /// A cache as loaded.
    struct Loaded : LoadedFile {
        GenreCache cache;
    };

    /// Reads the cache. No location, a missing file or one that cannot be read gives an empty cache
    /// silently; a file that does not decode is logged as unreadable and left on disk until the next save
    /// replaces it.
    static Loaded load(const std::optional<std::filesystem::path>& file, const LogSink& log);
    /// Prunes `cache` at `now` (entries leave the file only by expiring), then writes it pretty-printed with
    /// sorted keys, replacing the file atomically. A failure is logged and leaves the in-memory cache as it
    /// is. Returns whether the file was written; without a location nothing is written.
    static bool save(GenreCache& cache, Instant now, const std::optional<std::filesystem::path>& file,
                     const LogSink& log);
};

} // namespace nimbrel
