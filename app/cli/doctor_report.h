#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/config/vibe_config.h"
#include "core/config/when_music_stops.h"
#include "core/genres/genre_cache.h"
#include "core/ownership/app_state.h"
#include "core/ownership/status_ownership_record.h"
#include "core/time/instant.h"

namespace nimbrel::cli {

/// How one of the program's files was found.
struct DoctorFile {
    enum class Condition { present, missing, unreadable };

    std::string name;
    Condition condition = Condition::missing;
    /// Why the file could not be read or decoded; empty otherwise.
    std::string problem;
};

/// Everything the doctor looked at, read the way the program reads it at start-up.
struct DoctorInputs {
    std::filesystem::path folder;
    /// config.json, state.json, genre-cache.json, in that order.
    std::vector<DoctorFile> files;
    /// The configuration the program would run with.
    VibeConfig config;
    /// Where that configuration came from, as a phrase ("config.json", "the built-in vibes …").
    std::string configOrigin;
    /// The state as loaded, own snapshots already discarded.
    AppStateReading state;
    GenreCache genreCache;
    Instant now;
};

/// The `nimbrel doctor` report: where the files are, what the configuration says, and for each workspace
/// whose status is up, which status is saved and what happens to it when the music stops — the answer to
/// "why didn't it put my status back?".
struct DoctorReport final {
    DoctorReport() = delete;

    static constexpr std::string_view kTitle = "Nimbrel doctor";
    static constexpr std::string_view kLeaveExplanation =
        "When the music stops nothing changes: \u201cWhen music stops\u201d is set to leave the status.";
    static constexpr std::string_view kYieldedExplanation =
        "When the music stops nothing changes: Nimbrel is standing by because the status was changed elsewhere.";
    static constexpr std::string_view kNotOursExplanation =
        "When the music stops nothing changes: the status up now is not one Nimbrel set.";
    static constexpr std::string_view kClearConfiguredExplanation =
        "When the music stops the status is cleared (\u201cWhen music stops\u201d is set to clear).";
    static constexpr std::string_view kRestorePrefix = "When the music stops Nimbrel puts back ";
    static constexpr std::string_view kClearedBecause = "When the music stops the status is cleared: ";
    static constexpr std::string_view kNothingSaved = "no status was saved before Nimbrel took over (there was none, "
                                                      "or it was one of Nimbrel\u2019s own).";
    static constexpr std::string_view kDiscardedOwn =
        "the saved status was one of Nimbrel\u2019s own, so it was dropped when the state was loaded.";
    static constexpr std::string_view kTooOld = "the saved status is more than 12 hours old (saved ";
    static constexpr std::string_view kFromTheFuture =
        "the saved status is dated in the future (the clock may have been changed; saved ";
    static constexpr std::string_view kExpired = "the saved status expired at ";
    static constexpr std::string_view kBlankSaved = "the saved status was empty.";

    /// What happens to the workspace's status when the music stops, and why, in one or two sentences.
    static std::string finishExplanation(WhenMusicStops whenMusicStops, const StatusOwnershipRecord& record,
                                         Instant now, bool snapshotDiscarded);
    /// Whose status the record says is up.
    static std::string ownerDescription(const StatusOwnershipRecord& record);
    /// A status as the report quotes it: “text” :emoji: (expires …).
    static std::string describe(const SlackStatus& status);
    /// An instant as the report shows it: UTC to the second.
    static std::string describe(Instant instant);

    /// The report for people.
    static std::string text(const DoctorInputs& inputs);
    /// The report for tools: folder, workspaces (each record in the state file's own form), recently set
    /// statuses, the genre cache's counts and genres, and the team ids whose own snapshot was discarded.
    static nlohmann::json json(const DoctorInputs& inputs);
};

} // namespace nimbrel::cli
