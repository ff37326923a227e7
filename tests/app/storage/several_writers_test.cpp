// Two real processes writing the program's folder: the lock serialises their saves, a first-run write
// never clobbers the other's file, and a save that replaces the other's change says so.
#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "app/storage/app_state_store.h"
#include "app/storage/config_store.h"
#include "tests/support/child_process.h"
#include "tests/support/collected_log.h"
#include "tests/support/temporary_folder.h"

namespace nimbrel {
namespace {

using testing::ChildProcess;
using testing::CollectedLog;
using testing::readBytes;
using testing::TemporaryFolder;

TEST(SeveralWriters, ASaveWaitsForTheOtherWriterAndDoesNotReplaceItsChangeSilently) {
    TemporaryFolder folder;
    CollectedLog log;
    AppStateStore store(AppFolder(folder.path()), log.sink());
    store.load();
    AppState ours;
    ours.recordWrite({"Song", ":zap:", 0}, "k", "T1");

    const std::string theirs = R"({"workspaces": {}, "recently_set_texts": [], "recently_set_emoji": []})";
    ChildProcess other({NIMBREL_LOCK_HOLDER, folder.path().string(), "state.json", theirs});
    ASSERT_TRUE(other.readOutput(1)) << "the other process did not take the lock";

    std::atomic<bool> saved = false;
    std::thread saving([&] {
        EXPECT_EQ(store.save(ours), std::nullopt);
        saved = true;
    });
    // While the other process holds the lock, our save must not land. (A broken lock would let it land
    // within microseconds; a slow machine can only make this pass for the wrong reason, never fail.)
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(saved);
    EXPECT_EQ(readBytes(store.path()), theirs);

    ASSERT_TRUE(other.writeInput('x'));
    EXPECT_EQ(WEXITSTATUS(other.stop()), 0);
    saving.join();
    EXPECT_EQ(readBytes(store.path()), ours.encodedData());
    EXPECT_EQ(log.lines, (std::vector<std::pair<LogLevel, std::string>>{
                             {LogLevel::error, StoredFile::replacedLine("AppState", "state.json")}}));
}

TEST(SeveralWriters, AFirstRunWriteNeverClobbersAFileTheOtherWriterMadeMeanwhile) {
    TemporaryFolder folder;
    const std::string theirs = R"({"poll_seconds": 45})";
    ChildProcess other({NIMBREL_LOCK_HOLDER, folder.path().string(), "config.json", theirs});
    ASSERT_TRUE(other.readOutput(1));

    CollectedLog log;
    ConfigStore store(AppFolder(folder.path()), log.sink());
    std::thread loading([&] { EXPECT_EQ(store.load().pollSeconds, 45); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(other.writeInput('x'));
    other.stop();
    loading.join();
    EXPECT_EQ(readBytes(store.path()), theirs);
    EXPECT_TRUE(log.lines.empty());
}

} // namespace
} // namespace nimbrel
