// Saves config.json, state.json and genre-cache.json through the real stores, alternating between two
// versions of each, until it is killed. The crash-safety test kills it at random moments. After the first
// round it writes one byte to standard output, so the test knows every file exists and the kills can land
// anywhere in the loop, however slowly the process starts (sanitizer builds start slowly).
#include <cstdio>

#include <unistd.h>

#include "app/storage/app_folder.h"
#include "app/storage/app_state_store.h"
#include "app/storage/config_store.h"
#include "app/storage/genre_cache_store.h"
#include "tests/app/storage/crash_values.h"

int main(int argc, char** argv) {
    using namespace nimbrel;
    if (argc != 2) {
        std::fprintf(stderr, "usage: crash_writer FOLDER\n");
        return 2;
    }
    testing::CrashValues values = testing::CrashValues::make();
    const AppFolder folder{std::filesystem::path(argv[1])};
    ConfigStore config(folder, {});
    const auto statePath = folder.locate(AppFolder::kStateFileName);
    const auto cachePath = folder.locate(AppFolder::kGenreCacheFileName);
    for (unsigned long round = 0;; ++round) {
        const std::size_t version = round % 2;
        if (!config.save(values.config[version]) || AppStateStore::save(values.state[version], statePath) ||
            !GenreCacheStore::save(values.cache[version], values.now, cachePath, {})) {
            std::fprintf(stderr, "crash_writer: a save failed\n");
            return 1;
        }
        if (round == 0 && ::write(STDOUT_FILENO, "r", 1) != 1) {
            return 1;
        }
    }
}
