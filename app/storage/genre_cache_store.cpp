#include "app/storage/genre_cache_store.h"

#include "app/storage/file_access.h"

namespace nimbrel {

GenreCacheStore::Loaded GenreCacheStore::load(const std::optional<std::filesystem::path>& file, const LogSink& log) {
    Loaded loaded;
    if (!file) {
        return loaded;
    }
    const FileRead read = readWholeFile(*file);
    loaded.fileFound = !read.missing;
    if (!read.contents) {
        loaded.problem = read.problem;
        return loaded;
    }
    try {
        loaded.cache = GenreCache::decode(*read.contents);
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
    if (const std::optional<std::string> failure = writeFileAtomically(*file, cache.encodedData())) {
        if (log) {
            log(LogLevel::error, std::string(kSaveFailedPrefix) + *failure);
        }
        return false;
    }
    return true;
}

} // namespace nimbrel
