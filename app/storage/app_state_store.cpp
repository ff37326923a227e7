#include "app/storage/app_state_store.h"

#include <string>
#include <utility>

namespace nimbrel {

AppStateStore::AppStateStore(AppFolder folder, LogSink log, StoredFile::Clock clock)
    : m_log(log)
    , m_file(std::move(folder), AppFolder::kStateFileName, kMaxBytes, {"AppState", kSaveFailedPrefix}, std::move(log),
             std::move(clock)) {}

namespace {

AppStateStore::Reading interpret(FileReading file) {
    AppStateStore::Reading reading;
    if (auto decoded = file.decoded(AppState::decode)) {
        reading.state = std::move(*decoded);
    }
    reading.file = std::move(file);
    return reading;
}

} // namespace

AppStateStore::Reading AppStateStore::read(const std::filesystem::path& file) {
    return interpret(FileReading::of(file, kMaxBytes));
}

AppStateStore::Reading AppStateStore::load() {
    Reading reading = interpret(m_file.load());
    if (reading.file.problem) {
        m_file.noteUnusable(*reading.file.problem);
    }
    const std::vector<std::string>& discarded = reading.state.discardedSelfSnapshots;
    if (!discarded.empty() && m_log) {
        std::string teamIDs;
        for (const std::string& teamID : discarded) {
            teamIDs += (teamIDs.empty() ? "" : ", ") + teamID;
        }
        m_log(LogLevel::info, std::string(kDiscardedSelfSnapshotsLine) + "(" + teamIDs + ")");
    }
    return reading;
}

std::optional<FileError> AppStateStore::save(const AppState& state) {
    return m_file.save(state.encodedData());
}

} // namespace nimbrel
