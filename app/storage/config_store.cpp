#include "app/storage/config_store.h"

#include <utility>

#include "core/config/built_in_config.h"

namespace nimbrel {
namespace {

ConfigReading interpret(FileReading file) {
    ConfigReading reading;
    if (file.isUsable()) {
        reading.report = ConfigDecodeReport::decoding(file.bytes);
        if (reading.report.config) {
            reading.config = *reading.report.config;
        } else {
            file.noteUndecodable(*reading.report.error);
            reading.unreadable = UnreadableConfig{reading.report.error->location(), reading.report.error->reason()};
        }
    } else if (file.condition == FileReading::Condition::unreadable) {
        reading.unreadable = UnreadableConfig{"", file.problem.value_or("")};
    }
    if (!reading.report.config) {
        reading.config = builtInConfig().value_or(VibeConfig{});
    }
    reading.file = std::move(file);
    return reading;
}

} // namespace

std::string UnreadableConfig::description() const {
    return location.empty() ? reason : location + ": " + reason;
}

std::string ConfigReading::failure(const std::filesystem::path& path) const {
    if (report.error) {
        return path.string() + ": " + UnreadableConfig{report.error->location(), report.error->reason()}.description();
    }
    const std::string reason = file.isFound() ? file.problem.value_or("")
                                              : std::make_error_code(std::errc::no_such_file_or_directory).message();
    return FileError{path, "read", {}, reason}.description();
}

ConfigStore::ConfigStore(AppFolder folder, LogSink log, Clock clock)
    : m_log(log)
    , m_file(std::move(folder), AppFolder::kConfigFileName, kMaxBytes, {"applyConfig", kSaveFailedPrefix},
             std::move(log), std::move(clock)) {}

ConfigReading ConfigStore::read(const std::filesystem::path& file) {
    return interpret(FileReading::of(file, kMaxBytes));
}

VibeConfig ConfigStore::load() {
    if (const std::optional<FileError> error = m_file.createIfMissing(builtInConfigText)) {
        // Not fatal: the built-in configuration is used from memory, and the next save tries again.
        if (m_log) {
            m_log(LogLevel::info, std::string(kFirstRunWriteFailedPrefix) + error->description());
        }
    }
    ConfigReading reading = interpret(m_file.load());
    m_unreadable = reading.unreadable;
    // Nothing is reported here: the file is kept aside, and that reported, when a save would replace it.
    if (m_unreadable) {
        m_file.noteUnusable(m_unreadable->description());
    }
    return std::move(reading.config);
}

std::optional<FileError> ConfigStore::save(const VibeConfig& config) {
    std::optional<FileError> error = m_file.save(config.encodedData());
    if (!error) {
        m_unreadable.reset();
    }
    return error;
}

} // namespace nimbrel
