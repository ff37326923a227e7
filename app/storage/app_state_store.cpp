#include "app/storage/app_state_store.h"

#include "app/storage/atomic_file.h"

namespace nimbrel {

AppStateStore::Loaded AppStateStore::load(const std::filesystem::path& file, const LogSink& log) {
    Loaded loaded;
    const FileReadResult read = AtomicFile::read(file);
    if (const FileError* error = std::get_if<FileError>(&read)) {
        loaded.fileFound = !error->isNotFound();
        if (loaded.fileFound) {
            loaded.problem = error->description();
        }
        return loaded;
    }
    loaded.fileFound = true;
    try {
        AppStateReading reading = AppState::decode(std::get<std::string>(read));
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
    if (const std::optional<FileError> error = AtomicFile::write(file, state.encodedData())) {
        return error->description();
    }
    return std::nullopt;
}

} // namespace nimbrel
