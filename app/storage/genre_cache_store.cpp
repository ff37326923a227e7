#include "app/storage/genre_cache_store.h"

#include "app/storage/atomic_file.h"

namespace nimbrel {

GenreCacheStore::Loaded GenreCacheStore::load(const std::optional<std::filesystem::path>& file, const LogSink& log) {
    Loaded loaded;
    if (!file) {
        return loaded;
    }
    const std::optional<std::string> bytes = loaded.read(*file);
    if (!bytes) {
        return loaded;
    }
    try {
        loaded.cache = GenreCache::decode(*bytes);
    } catch (const DecodeError& error) {
        loaded.noteUndecodable(error);
        if (log) {
            log(LogLevel::error, kUnreadableLine);
        }
    }
    return loaded;
}

bool GenreCacheStore::save(GenreCache& cache, Instant now, const std::optional<std::filesystem::path>& file,
                           const LogSink& log) {
    if (!file) {
        return false;
    }
    cache.prune(now);
    if (const std::optional<FileError> error = AtomicFile::write(*file, cache.encodedData())) {
        if (log) {
            log(LogLevel::error, std::string(kSaveFailedPrefix) + error->description());
        }
        return false;
    }
    return true;
}

} // namespace nimbrel
