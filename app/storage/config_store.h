#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/storage/app_folder.h"
#include "app/storage/log_sink.h"
#include "core/config/vibe_config.h"

namespace nimbrel {

/// Why config.json could not be used when it was last loaded.
struct UnreadableConfig {
    /// A key path, "line 3, column 7", or the file's path when it could not be read at all.
    std::string location;
    /// What is wrong there.
    std::string reason;

    friend bool operator==(const UnreadableConfig&, const UnreadableConfig&) = default;

    /// "vibes[2].status_emoji: required text is missing".
    std::string description() const;
};

/// config.json in the program's folder: loading it with its first-run write and fallbacks, and saving it.
///
/// A file that cannot be read or decoded is never lost: loading falls back to the built-in configuration
/// without touching the file, and the first save afterwards keeps the file beside the new one as
/// `config.json.unreadable-<UTC time>` and logs why it was unreadable and where it now is. Not thread-safe;
/// the engine owns one.
class ConfigStore {
public:
    /// The clock that stamps the names of kept files.
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    /// Begins every line that reports a failed save; the error's description follows.
    static constexpr std::string_view kSaveFailedPrefix = "applyConfig: save failed \u2014 ";
    /// Opens the line that reports a kept unreadable file; see `unreadableKeptLine`.
    static constexpr std::string_view kUnreadableKeptPrefix = "applyConfig: config.json could not be read (";
    static constexpr std::string_view kUnreadableKeptMiddle = "), so it was kept as \u201C";
    static constexpr std::string_view kUnreadableKeptSuffix = "\u201D before being replaced";
    /// Follows `kSaveFailedPrefix` when the unreadable file could not be kept and so was not replaced.
    static constexpr std::string_view kUnreadableNotKept =
        "config.json could not be read and no copy of it could be kept, so it was left as it is: ";
    /// Reports that the first-run document could not be written out.
    static constexpr std::string_view kFirstRunWriteFailedPrefix =
        "config: could not write the built-in configuration \u2014 ";
    /// Between the file's name and the time stamp of a kept unreadable file.
    static constexpr std::string_view kUnreadableInfix = ".unreadable-";

    ConfigStore(AppFolder folder, LogSink log, Clock clock = std::chrono::system_clock::now);

    /// The path of config.json.
    std::filesystem::path path() const;

    /// Loads the configuration: writes the built-in document first when there is no file; decodes the
    /// file; falls back to the built-in configuration, and when even that fails to the default value.
    /// Remembers whether the file was unreadable, and why.
    VibeConfig load();

    /// Why the file on disk was unusable at the last load, until a save has kept it aside.
    const std::optional<UnreadableConfig>& unreadable() const noexcept { return m_unreadable; }

    /// Writes `config` over config.json atomically, first keeping an unreadable file aside. On failure
    /// logs the save-failed line and returns false; the file on disk is then as it was.
    bool save(const VibeConfig& config);

    /// The error line for a kept unreadable file.
    static std::string unreadableKeptLine(const UnreadableConfig& why, const std::filesystem::path& copy);
    /// The UTC time as it appears in a kept file's name: "20261206T191500Z".
    static std::string timestamp(std::chrono::system_clock::time_point instant);

private:
    void logLine(LogLevel level, const std::string& line) const;
    /// Keeps the unreadable file under a new name; false (after logging) when it could not be kept.
    bool keepUnreadableFile(const std::filesystem::path& file);

    AppFolder m_folder;
    LogSink m_log;
    Clock m_clock;
    std::optional<UnreadableConfig> m_unreadable;
};

} // namespace nimbrel
