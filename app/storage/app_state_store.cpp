#include "app/storage/app_state_store.h"

#include "app/storage/atomic_file.h"

namespace nimbrel {

AppStateStore::Loaded AppStateStore::load(const std::filesystem::path& file, const LogSink& log) {
    Loaded loaded;
    const std::optional<std::string> bytes = loaded.read(file);
    if (!bytes) {
        return loaded;
    }
    try {
        AppStateReading reading = AppState::decode(*bytes);
        loaded.state = std::move(reading.state);
        loaded.discardedSelfSnapshots = std::move(reading.discardedSelfSnapshots);
        loaded.unreadableRecords = std::move(reading.unreadableRecords);
    } catch (const DecodeError& error) {
        // The program starts over with the empty state and says nothing; the reason is only kept for the
        // doctor, which is where a user asks why a status did not come back.
        loaded.noteUndecodable(error);
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
    if (const std::optional<FileError> error = AtomicFile::write(file, state.encodedData())) {
        return error->description();
    }
    return std::nullopt;
}

} // namespace nimbrel
