#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/storage/log_sink.h"
#include "core/ownership/app_state.h"

namespace nimbrel {

/// The state file, "state.json": the ownership records and recently set statuses, kept apart from the
/// configuration. Read once at start-up, written after every change that matters.
struct AppStateStore final {
    AppStateStore() = delete;

    /// Logged at info level, followed by "(" + the team ids joined with ", " + ")".
    static constexpr std::string_view kDiscardedSelfSnapshotsLine =
        "AppState: discarded a saved status that was one of our own ";

    /// A state as loaded, with what the loading found out on the way.
    struct Loaded {
        AppState state;
        /// Whether the file existed.
        bool fileFound = false;
        /// Why the file could not be used, when it existed but was unreadable or not a state document.
        std::optional<std::string> problem;
        /// Team ids whose saved status was one of the program's own and was dropped.
        std::vector<std::string> discardedSelfSnapshots;
        /// Records that could not be read and became empty.
        std::vector<DecodeError> unreadableRecords;
    };

    /// Reads the state file. A missing, unreadable or malformed file gives the empty state without a word
    /// in the log (the reason is kept in `problem`); dropping own snapshots is logged at info level.
    static Loaded load(const std::filesystem::path& file, const LogSink& log);
    /// Writes the whole state, replacing the file atomically (the old file stays whole until the new one
    /// takes its place). Returns the reason when it could not; the caller's state stays in force either way.
    static std::optional<std::string> save(const AppState& state, const std::filesystem::path& file);
};

} // namespace nimbrel
