// Saves config.json, state.json and genre-cache.json through the real stores, one after another and
// alternating between two versions of each, until it is killed. After every completed save it writes one
// byte to standard output, so the crash-safety test knows how far it got and can kill it mid-way through
// any later save, however slowly it runs.
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
    AppStateStore state(folder, {});
    GenreCacheStore cache(folder, {});
    for (unsigned long save = 0;; ++save) {
        // Each file's version flips every time it is saved: saves 0, 1, 2 write versions 0, 3, 4, 5 write 1…
        const std::size_t version = (save / 3) % 2;
        std::optional<FileError> error;
        switch (save % 3) {
        case 0:
            error = config.save(values.config[version]);
            break;
        case 1:
            error = state.save(values.state[version]);
            break;
        default:
            error = cache.save(values.cache[version], values.now);
            break;
        }
        if (error) {
            std::fprintf(stderr, "crash_writer: %s\n", error->description().c_str());
            return 1;
        }
        if (::write(STDOUT_FILENO, "s", 1) != 1) {
            return 1;
        }
    }
}
