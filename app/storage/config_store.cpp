#include "app/storage/config_store.h"

#include <cstdio>
#include <system_error>
#include <utility>

#include "app/storage/atomic_file.h"
#include "core/config/built_in_config.h"
#include "core/json/decode_error.h"

namespace nimbrel {
namespace {

// Enough for many saves within one second; past that, something is wrong and the save fails instead.
constexpr int kMaxKeptNameAttempts = 1000;

} // namespace

std::string UnreadableConfig::description() const {
    return location.empty() ? reason : location + ": " + reason;
}

ConfigStore::ConfigStore(AppFolder folder, LogSink log, Clock clock)
    : m_folder(std::move(folder))
    , m_log(std::move(log))
    , m_clock(std::move(clock)) {}

std::filesystem::path ConfigStore::path() const {
    return m_folder.locate(AppFolder::kConfigFileName);
}

VibeConfig ConfigStore::load() {
    const std::filesystem::path file = path();
    std::error_code ignored;
    if (!std::filesystem::exists(file, ignored)) {
        if (const std::optional<FileError> error = AtomicFile::write(file, builtInConfigText)) {
            // Not fatal: the built-in configuration is used from memory, and the next save tries again.
            logLine(LogLevel::info, std::string(kFirstRunWriteFailedPrefix) + error->description());
        }
    }

    FileReadResult contents = AtomicFile::read(file);
    if (const std::string* bytes = std::get_if<std::string>(&contents)) {
        try {
            VibeConfig config = VibeConfig::decode(*bytes);
            m_unreadable.reset();
            return config;
        } catch (const DecodeError& error) {
            m_unreadable = UnreadableConfig{error.location(), error.reason()};
        }
    } else {
        const FileError& error = std::get<FileError>(contents);
        m_unreadable = UnreadableConfig{file.string(), error.code.message()};
    }

    // Nothing is reported here: the fallback is reported, and the file kept, when a save would replace it.
    if (std::optional<VibeConfig> builtIn = builtInConfig()) {
        return std::move(*builtIn);
    }
    return VibeConfig{};
}

bool ConfigStore::save(const VibeConfig& config) {
    const std::filesystem::path file = path();
    if (m_unreadable) {
        std::error_code error;
        const bool present = std::filesystem::exists(std::filesystem::symlink_status(file, error));
        if (present && !keepUnreadableFile(file)) {
            return false;
        }
        m_unreadable.reset();
    }
    if (const std::optional<FileError> error = AtomicFile::write(file, config.encodedData())) {
        logLine(LogLevel::error, std::string(kSaveFailedPrefix) + error->description());
        return false;
    }
    return true;
}

bool ConfigStore::keepUnreadableFile(const std::filesystem::path& file) {
    const std::string base = file.string() + std::string(kUnreadableInfix) + timestamp(m_clock());
    std::optional<FileError> failure;
    for (int attempt = 1; attempt <= kMaxKeptNameAttempts; ++attempt) {
        const std::filesystem::path copy = attempt == 1 ? base : base + "-" + std::to_string(attempt);
        failure = AtomicFile::keepCopy(file, copy);
        if (!failure) {
            logLine(LogLevel::error, unreadableKeptLine(*m_unreadable, copy));
            return true;
        }
        if (!failure->isAlreadyThere()) {
            break;
        }
    }
    logLine(LogLevel::error, std::string(kSaveFailedPrefix) + std::string(kUnreadableNotKept) + failure->description());
    return false;
}

std::string ConfigStore::unreadableKeptLine(const UnreadableConfig& why, const std::filesystem::path& copy) {
    return std::string(kUnreadableKeptPrefix) + why.description() + std::string(kUnreadableKeptMiddle) + copy.string() +
           std::string(kUnreadableKeptSuffix);
}

std::string ConfigStore::timestamp(std::chrono::system_clock::time_point instant) {
    using namespace std::chrono;
    const sys_seconds seconds = floor<std::chrono::seconds>(instant);
    const sys_days day = floor<days>(seconds);
    const year_month_day date{day};
    const hh_mm_ss time{seconds - day};
    char buffer[32];
    const int written =
        std::snprintf(buffer, sizeof buffer, "%04d%02u%02uT%02d%02d%02dZ", int{date.year()}, unsigned{date.month()},
                      unsigned{date.day()}, static_cast<int>(time.hours().count()),
                      static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count()));
    return std::string(buffer, written > 0 ? static_cast<std::size_t>(written) : 0);
}

void ConfigStore::logLine(LogLevel level, const std::string& line) const {
    if (m_log) {
        m_log(level, line);
    }
}

} // namespace nimbrel
