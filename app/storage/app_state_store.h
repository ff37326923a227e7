#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>

#include "app/log/log_sink.h"
#include "app/storage/app_folder.h"
#include "app/storage/file_reading.h"
#include "app/storage/stored_file.h"
#include "core/ownership/app_state.h"

namespace nimbrel {

/// The state file, "state.json": the ownership records and recently set statuses, kept apart from the
/// configuration. Read once at start-up, written after every change that matters. Not thread-safe.
class AppStateStore {
public:
    /// The most state.json may hold; the program writes a few kilobytes.
    static constexpr std::size_t kMaxBytes = 8 * 1024 * 1024;
    /// Logged at info level, followed by "(" + the team ids joined with ", " + ")".
    static constexpr std::string_view kDiscardedSelfSnapshotsLine =
        "AppState: discarded a saved status that was one of our own ";
    /// Begins the line of a failed save; the error's description follows.
    static constexpr std::string_view kSaveFailedPrefix = "AppState: couldn\u2019t save the state \u2014 ";

    /// The state as read, without side effects.
    struct Reading {
        FileReading file;
        /// The decoded state; the empty state when the file is missing or unusable.
        AppStateReading state;
    };

    AppStateStore(AppFolder folder, LogSink log, StoredFile::Clock clock = std::chrono::system_clock::now);

    /// Reads and decodes `file` as the program does; writes and logs nothing.
    static Reading read(const std::filesystem::path& file);

    std::filesystem::path path() const { return m_file.path(); }

    /// Reads the state file. A missing or unusable file gives the empty state without a word in the log
    /// (the next save keeps an unusable file aside and says so); dropping own snapshots is logged at info.
    Reading load();
    /// Writes the whole state, replacing the file atomically. A failure is logged and returned; the
    /// caller's state stays in force either way.
    std::optional<FileError> save(const AppState& state);

private:
    LogSink m_log;
    StoredFile m_file;
};

} // namespace nimbrel
