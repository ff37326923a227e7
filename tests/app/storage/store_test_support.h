#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "app/storage/log_sink.h"

namespace nimbrel::test {

/// A fresh folder under the system's temporary directory, removed with everything in it at the end.
class TemporaryFolder {
public:
    TemporaryFolder() {
        std::random_device seed;
        m_path = std::filesystem::temp_directory_path() /
                 ("nimbrel-test-" + std::to_string(seed()) + "-" + std::to_string(seed()));
        std::filesystem::create_directories(m_path);
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path file(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

inline void writeText(const std::filesystem::path& file, const std::string& text) {
    std::ofstream stream(file, std::ios::binary);
    stream << text;
}

inline std::string readText(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

/// Collects log lines.
struct CollectedLog {
    std::vector<std::pair<LogLevel, std::string>> lines;

    LogSink sink() {
        return [this](LogLevel level, std::string_view line) {
            lines.emplace_back(level, std::string(line));
        };
    }
};

} // namespace nimbrel::test
