#include "app/storage/genre_cache_store.h"

#include <utility>

namespace nimbrel {
namespace {

GenreCacheStore::Reading interpret(FileReading file) {
    GenreCacheStore::Reading reading;
    if (auto decoded = file.decoded(GenreCache::decode)) {
        reading.cache = std::move(*decoded);
    }
    reading.file = std::move(file);
    return reading;
}

} // namespace

GenreCacheStore::GenreCacheStore(AppFolder folder, LogSink log, StoredFile::Clock clock)
    : m_log(log)
    , m_file(std::move(folder), AppFolder::kGenreCacheFileName, kMaxBytes, {"genres", kSaveFailedPrefix},
             std::move(log), std::move(clock)) {}

GenreCacheStore::Reading GenreCacheStore::read(const std::filesystem::path& file) {
    return interpret(FileReading::of(file, kMaxBytes));
}

GenreCacheStore::Reading GenreCacheStore::load() {
    Reading reading = interpret(m_file.load());
    if (reading.file.problem) {
        m_file.noteUnusable(*reading.file.problem);
        if (m_log) {
            m_log(LogLevel::error, kUnreadableLine);
        }
    }
    return reading;
}

std::optional<FileError> GenreCacheStore::save(GenreCache& cache, Instant now) {
    cache.prune(now);
    return m_file.save(cache.encodedData());
}

} // namespace nimbrel
