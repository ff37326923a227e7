#include "app/storage/app_state_store.h"

#include "app/storage/file_access.h"

namespace nimbrel {

AppStateStore::Loaded AppStateStore::load(const std::filesystem::path& file, const LogSink& log) {
    Loaded loaded;
    const FileRead read = readWholeFile(file);
    loaded.fileFound = !read.missing;
    if (!read.contents) {
        loaded.problem = read.problem;
        return loaded;
    }
    try {
        AppStateReading reading = AppState::decode(*read.contents);
        loaded.state = std::move(reading.state);
        loaded.discardedSelfSnapshots = std::move(reading.discardedSelfSnapshots);
        loaded.unreadableRecords = std::move(reading.unreadableRecords);
    } catch (const DecodeError& error) {
        // The program starts over with the empty state and says nothing; the reason is only kept for the
        // doctor, which is where a user asks why a status did not come back.
        loaded.problem = error.location().empty() ? error.reason() : error.location() + ": " + error.reason();
        return loaded;
    }
    if (!loaded.discardedSelfSnapshots.empty() && log) {
        std::string teamIDs;
        for (const std::string& teamID : loaded.discardedSelfSnapshots) {
            teamIDs += (teamIDs.empty() ? "" : ", ") + teamID;
        }
        log(LogLevel::info, std::string(kDiscardedSelfSnapshotsLine) + "(" + teamIDs + ")");
    }
    return loaded;
}

std::optional<std::string> AppStateStore::save(const AppState& state, const std::filesystem::path& file) {
    return writeFileAtomically(file, state.encodedData());
}

} // namespace nimbrel
