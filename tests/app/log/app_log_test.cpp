#include "app/log/app_log.h"

#include <fstream>
#include <mutex>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/temporary_folder.h"

namespace nimbrel {
namespace {

using testing::readBytes;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        result.push_back(line);
    }
    return result;
}

struct SystemLogCollector {
    std::mutex mutex;
    std::vector<std::string> messages;
    AppLog::SystemLogWriter writer() {
        return [this](LogLevel, std::string_view message) {
            const std::lock_guard lock(mutex);
            messages.emplace_back(message);
        };
    }
};

TEST(AppLog, LineFormat) {
    const auto time = std::chrono::sys_days{std::chrono::year{2026} / 12 / 6} + std::chrono::hours{21} +
                      std::chrono::minutes{4} + std::chrono::seconds{5} + std::chrono::milliseconds{999};
    EXPECT_EQ(AppLog::formatLine(time, LogLevel::info, "runOnce: x"), "[2026-12-06T21:04:05Z] INFO runOnce: x");
    EXPECT_EQ(AppLog::formatLine(time, LogLevel::debug, ""), "[2026-12-06T21:04:05Z] DEBUG ");
}

TEST(AppLog, DebugLinesExistOnlyWhenEnabledInBothDestinations) {
    for (const bool enabled : {false, true}) {
        testing::TemporaryFolder folder;
        SystemLogCollector system;
        {
            AppLog log({.folder = folder.path(), .debugEnabled = enabled, .systemLog = system.writer()});
            log.write("trace detail", LogLevel::debug);
            log.write("kept", LogLevel::info);
        }
        const std::string file = readBytes(folder.path() / "app.log");
        EXPECT_EQ(file.find("trace detail") != std::string::npos, enabled);
        EXPECT_NE(file.find("] INFO kept\n"), std::string::npos);
        const std::vector<std::string> expected =
            enabled ? std::vector<std::string>{"trace detail", "kept"} : std::vector<std::string>{"kept"};
        EXPECT_EQ(system.messages, expected);
    }
}

TEST(AppLog, RotatesExactlyWhenTheFileHasReachedTheLimit) {
    for (const std::uintmax_t size : {AppLog::kRotationSize - 1, AppLog::kRotationSize}) {
        testing::TemporaryFolder folder;
        const std::filesystem::path file = folder.path() / "app.log";
        const std::filesystem::path rotated = folder.path() / "app.log.1";
        const std::string existing = std::string(size - 1, 'x') + '\n';
        testing::writeBytes(rotated, "oldest\n");
        testing::writeBytes(file, existing);
        {
            AppLog log({.folder = folder.path(), .systemLog = nullptr});
            log.write("next", LogLevel::info);
        }
        const std::string next = AppLog::formatLine({}, LogLevel::info, "next").substr(22) + "\n";
        // At the limit the older rotation is lost, the full file becomes app.log.1 and the line starts afresh.
        const bool rotates = size == AppLog::kRotationSize;
        EXPECT_EQ(readBytes(rotated), rotates ? existing : std::string("oldest\n"));
        EXPECT_TRUE(readBytes(file).starts_with(rotates ? std::string() : existing));
        EXPECT_EQ(lines(readBytes(file)).size(), rotates ? 1u : 2u);
        EXPECT_TRUE(readBytes(file).ends_with(next));
    }
}

TEST(AppLog, KeepsEachCallersOrderUnderConcurrentCallers) {
    testing::TemporaryFolder folder;
    constexpr int kThreads = 4;
    constexpr int kLinesEach = 500;
    {
        AppLog log({.folder = folder.path(), .systemLog = nullptr});
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&log, t] {
                for (int i = 0; i < kLinesEach; ++i) {
                    log.write("caller " + std::to_string(t) + " line " + std::to_string(i), LogLevel::info);
                }
            });
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
    }
    const std::vector<std::string> written = lines(readBytes(folder.path() / "app.log"));
    ASSERT_EQ(written.size(), static_cast<std::size_t>(kThreads * kLinesEach));
    const std::regex shape(R"(^\[\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ\] INFO caller (\d) line (\d+)$)");
    std::vector<int> next(static_cast<std::size_t>(kThreads), 0);
    for (const std::string& line : written) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, shape)) << line;
        const int caller = std::stoi(match[1]);
        EXPECT_EQ(std::stoi(match[2]), next[static_cast<std::size_t>(caller)]++) << "out of order: " << line;
    }
}

TEST(AppLog, FreeFunctionWritesThroughTheInstalledLogOnly) {
    testing::TemporaryFolder folder;
    SystemLogCollector system;
    log("before install", LogLevel::error);
    {
        AppLog appLog({.folder = folder.path(), .systemLog = system.writer()});
        installAppLog(&appLog);
        log("installed", LogLevel::error);
        installAppLog(nullptr);
        log("after uninstall", LogLevel::error);
    }
    EXPECT_EQ(system.messages, std::vector<std::string>{"installed"});
    EXPECT_EQ(lines(readBytes(folder.path() / "app.log")).size(), 1u);
}

} // namespace
} // namespace nimbrel
