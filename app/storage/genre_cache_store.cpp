#include "app/storage/genre_cache_store.h"

#include "app/storage/atomic_file.h"

namespace nimbrel {

GenreCacheStore::Loaded GenreCacheStore::load(const std::optional<std::filesystem::path>& file, const LogSink& log) {
    Loaded loaded;
    if (!file) {
        return loaded;
    }
    const FileReadResult read = AtomicFile::read(*file);
    if (const FileError* error = std::get_if<FileError>(&read)) {
        loaded.fileFound = !error->isNotFound();
        if (loaded.fileFound) {
            loaded.problem = error->description();
        }
        return loaded;
    }
    loaded.fileFound = true;
    try {
        loaded.cache = GenreCache::decode(std::get<std::string>(read));
    } catch (const DecodeError& error) {
        loaded.problem = error.location().empty() ? error.reason() : error.location() + ": " + error.reason();
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
