#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "app/log/log_sink.h"
#include "app/storage/app_folder.h"
#include "app/storage/file_reading.h"
#include "app/storage/stored_file.h"
#include "core/config/config_decode_report.h"
#include "core/config/vibe_config.h"

namespace nimbrel {

/// Why config.json could not be used when it was last read.
struct UnreadableConfig {
    /// A key path or "line 3, column 7"; empty when the file could not be read at all.
    std::string location;
    /// What is wrong there.
    std::string reason;

    friend bool operator==(const UnreadableConfig&, const UnreadableConfig&) = default;

    /// "vibes[2].status_emoji: required text is missing".
    std::string description() const;
};

/// config.json as read, without side effects: what the store, the doctor and the commands all go by.
struct ConfigReading {
    FileReading file;
    /// The file's decoding, with what the decoder let pass; empty when the file could not be read.
    ConfigDecodeReport report;
    /// Why an existing file could not be used.
    std::optional<UnreadableConfig> unreadable;
    /// The configuration the program runs with: the file's, else the built-in one (when the file is
    /// missing or unusable), else the default value.
    VibeConfig config;

    /// Why `file` (the path read) gave no configuration, for a command's error line: "couldn’t read
    /// “…/config.json”: it is a named pipe, not a file" or "…/config.json: vibes[2]: expected an object, …".
    std::string failure(const std::filesystem::path& path) const;
};

/// config.json in the program's folder: loading it with its first-run write and fallbacks, and saving it.
///
/// A file that cannot be read or decoded is never lost: loading falls back to the built-in configuration
/// without touching the file, and the first save afterwards keeps the file beside the new one as
/// `config.json.unreadable-<UTC time>` and logs why it was unreadable and where it now is. Not thread-safe;
/// the engine owns one.
class ConfigStore {
public:
    using Clock = StoredFile::Clock;

    /// The most config.json may hold; a hand-written file is a few kilobytes.
    static constexpr std::size_t kMaxBytes = 8 * 1024 * 1024;
    /// Begins every line that reports a failed save; the error's description follows.
    static constexpr std::string_view kSaveFailedPrefix = "applyConfig: save failed \u2014 ";
    /// Reports that the first-run document could not be written out.
    static constexpr std::string_view kFirstRunWriteFailedPrefix =
        "config: could not write the built-in configuration \u2014 ";

    ConfigStore(AppFolder folder, LogSink log, Clock clock = std::chrono::system_clock::now);

    /// Reads and decodes `file` as the program does, falling back as it does; writes nothing.
    static ConfigReading read(const std::filesystem::path& file);

    /// The path of config.json.
    std::filesystem::path path() const { return m_file.path(); }

    /// Loads the configuration: writes the built-in document first when there is no file (never over a
    /// file that appeared meanwhile); reads it as `read` does, and remembers whether it was unusable.
    VibeConfig load();

    /// Why the file on disk was unusable at the last load, until a save has kept it aside.
    const std::optional<UnreadableConfig>& unreadable() const noexcept { return m_unreadable; }

    /// Writes `config` over config.json atomically, first keeping an unusable file aside. A failure is
    /// logged and returned; the file on disk is then as it was.
    std::optional<FileError> save(const VibeConfig& config);

private:
    LogSink m_log;
    StoredFile m_file;
    std::optional<UnreadableConfig> m_unreadable;
};

} // namespace nimbrel
