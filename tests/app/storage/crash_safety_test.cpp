// Kills a process that keeps saving the three JSON files, at random moments, many times, and checks that
// each file always reads as either its old or its new version: never torn, never empty, never mixed.
#include <chrono>
#include <csignal>
#include <random>
#include <set>
#include <thread>

#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/storage/app_folder.h"
#include "app/storage/app_state_store.h"
#include "app/storage/config_store.h"
#include "app/storage/genre_cache_store.h"
#include "tests/app/storage/crash_values.h"
#include "tests/support/temporary_folder.h"

extern char** environ; // NOLINT: POSIX

namespace nimbrel {
namespace {

constexpr int kKills = 150;

// Which of the two versions the bytes hold: 0, 1, or -1 when neither.
template <typename T>
int versionOf(const T& value, const T (&versions)[2]) {
    return value == versions[0] ? 0 : value == versions[1] ? 1 : -1;
}

// Starts the writer and waits until it has saved every file once; its pid, or -1.
pid_t startWriter(const std::filesystem::path& folder) {
    int ready[2];
    if (::pipe(ready) != 0) {
        return -1;
    }
    const std::string program = NIMBREL_CRASH_WRITER;
    const std::string argument = folder.string();
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(argument.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, ready[1], STDOUT_FILENO);
    ::posix_spawn_file_actions_addclose(&actions, ready[0]);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(ready[1]);
    pollfd waiting{ready[0], POLLIN, 0};
    char byte = 0;
    const bool isReady = spawned == 0 && ::poll(&waiting, 1, 30'000) == 1 && ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    if (spawned == 0 && !isReady) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return -1;
    }
    return spawned == 0 ? pid : -1;
}

TEST(CrashSafety, EveryFileIsTheOldOrTheNewVersionAfterASigkill) {
    const testing::CrashValues values = testing::CrashValues::make();
    const testing::TemporaryFolder folder;
    const AppFolder appFolder(folder.path());
    const auto statePath = appFolder.locate(AppFolder::kStateFileName);
    const auto cachePath = appFolder.locate(AppFolder::kGenreCacheFileName);

    // Both versions of every file must be seen, or the kills never landed mid-way through the saves.
    std::set<int> configSeen;
    std::set<int> stateSeen;
    std::set<int> cacheSeen;
    std::mt19937 random(20261206);
    // A round of three fsynced saves takes a few milliseconds; the delays spread the kills over many rounds.
    std::uniform_int_distribution<int> delayMicroseconds(0, 8000);
    for (int kill = 0; kill < kKills; ++kill) {
        const pid_t writer = startWriter(folder.path());
        ASSERT_GT(writer, 0) << "the writer did not complete its first round";
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
        ASSERT_EQ(::kill(writer, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(writer, &status, 0), writer);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself at kill " << kill;

        ConfigStore configStore(appFolder, {});
        const VibeConfig config = configStore.load();
        EXPECT_FALSE(configStore.unreadable()) << "config.json torn at kill " << kill;
        const int configVersion = versionOf(config, values.config);
        EXPECT_NE(configVersion, -1) << "config.json holds neither version at kill " << kill;
        configSeen.insert(configVersion);

        {
            const AppStateStore::Loaded state = AppStateStore::load(statePath, {});
            EXPECT_FALSE(state.problem) << "state.json torn at kill " << kill << ": " << state.problem.value_or("");
            const int stateVersion = versionOf(state.state, values.state);
            EXPECT_NE(stateVersion, -1) << "state.json holds neither version at kill " << kill;
            stateSeen.insert(stateVersion);
        }
        {
            const GenreCacheStore::Loaded cache = GenreCacheStore::load(cachePath, {});
            EXPECT_FALSE(cache.problem) << "genre-cache.json torn at kill " << kill;
            const int cacheVersion = versionOf(cache.cache, values.cache);
            EXPECT_NE(cacheVersion, -1) << "genre-cache.json holds neither version at kill " << kill;
            cacheSeen.insert(cacheVersion);
        }
        if (::testing::Test::HasFailure()) {
            return;
        }
    }
    EXPECT_EQ(configSeen, (std::set<int>{0, 1}));
    EXPECT_EQ(stateSeen, (std::set<int>{0, 1}));
    EXPECT_EQ(cacheSeen, (std::set<int>{0, 1}));
}

} // namespace
} // namespace nimbrel
