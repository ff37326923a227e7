// Another process in the program's folder: takes the folder lock, writes a file under it, reports "L" on
// standard output, and holds the lock until a byte arrives on standard input. The several-writers test
// drives it.
#include <cstdio>
#include <string_view>
#include <variant>

#include <unistd.h>

#include "app/storage/atomic_file.h"
#include "app/storage/folder_lock.h"

int main(int argc, char** argv) {
    using namespace nimbrel;
    if (argc != 4) {
        std::fprintf(stderr, "usage: lock_holder FOLDER FILE-NAME CONTENTS\n");
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::variant<FolderLock, FileError> lock = FolderLock::acquire(folder);
    if (std::holds_alternative<FileError>(lock) || AtomicFile::write(folder / argv[2], argv[3])) {
        return 1;
    }
    char byte = 0;
    if (::write(STDOUT_FILENO, "L", 1) != 1 || ::read(STDIN_FILENO, &byte, 1) < 0) {
        return 1;
    }
    return 0;
}
