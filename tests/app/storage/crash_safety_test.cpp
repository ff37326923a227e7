// Kills a process that keeps saving the three JSON files, many times, each time after a random number of
// completed saves plus a random delay, and checks that every file always reads as one of its two versions
// (never torn, empty or mixed) and is never missing, while the writer runs or after it was killed.
#include <chrono>
#include <csignal>
#include <random>
#include <set>

#include <gtest/gtest.h>

#include "app/storage/app_folder.h"
#include "app/storage/app_state_store.h"
#include "app/storage/config_store.h"
#include "app/storage/genre_cache_store.h"
#include "tests/app/storage/crash_values.h"
#include "tests/support/child_process.h"
#include "tests/support/temporary_folder.h"

namespace nimbrel {
namespace {

constexpr int kKills = 120;
// One round saves each file once; the writer must have saved every file at least once before a kill.
constexpr int kSavesPerRound = 3;

// Which of the two versions the value is: 0, 1, or -1 when neither.
template <typename T>
int versionOf(const T& value, const T (&versions)[2]) {
    return value == versions[0] ? 0 : value == versions[1] ? 1 : -1;
}

TEST(CrashSafety, EveryFileIsAlwaysThereAndTheOldOrTheNewVersion) {
    const testing::CrashValues values = testing::CrashValues::make();
    const testing::TemporaryFolder folder;
    const AppFolder appFolder(folder.path());
    const std::filesystem::path files[] = {appFolder.file(AppFolder::kConfigFileName),
                                           appFolder.file(AppFolder::kStateFileName),
                                           appFolder.file(AppFolder::kGenreCacheFileName)};

    // Seeded, so every run kills at the same counts of completed saves; only the delays vary with timing.
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> completedSaves(kSavesPerRound, 4 * kSavesPerRound);
    std::uniform_int_distribution<int> delayMicroseconds(0, 3000);
    std::set<int> seen[3];
    for (int kill = 0; kill < kKills; ++kill) {
        testing::ChildProcess writer({NIMBREL_CRASH_WRITER, folder.path().string()});
        ASSERT_TRUE(writer.readOutput(static_cast<std::size_t>(completedSaves(random))))
            << "the writer stopped reporting saves at kill " << kill;
        // While it goes on saving, no file may be missing even for a moment.
        const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(delayMicroseconds(random));
        do {
            for (const std::filesystem::path& file : files) {
                ASSERT_TRUE(std::filesystem::exists(file)) << file << " missing during a save at kill " << kill;
            }
        } while (std::chrono::steady_clock::now() < until);
        const int status = writer.stop(SIGKILL);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself at kill " << kill;

        ConfigStore configStore(appFolder, {});
        const VibeConfig config = configStore.load();
        EXPECT_FALSE(configStore.unreadable()) << "config.json torn at kill " << kill;
        const AppStateStore::Reading state = AppStateStore::read(files[1]);
        EXPECT_EQ(state.file.condition, FileReading::Condition::present) << "state.json at kill " << kill;
        const GenreCacheStore::Reading cache = GenreCacheStore::read(files[2]);
        EXPECT_EQ(cache.file.condition, FileReading::Condition::present) << "genre-cache.json at kill " << kill;

        const int versions[] = {versionOf(config, values.config), versionOf(state.state.state, values.state),
                                versionOf(cache.cache, values.cache)};
        for (int index = 0; index < 3; ++index) {
            EXPECT_NE(versions[index], -1) << files[index] << " holds neither version at kill " << kill;
            seen[index].insert(versions[index]);
        }
        if (::testing::Test::HasFailure()) {
            return;
        }
    }
    // The kills landed at many points of the loop, so each file was seen in both versions.
    for (const std::set<int>& versions : seen) {
        EXPECT_EQ(versions, (std::set<int>{0, 1}));
    }
}

} // namespace
} // namespace nimbrel
