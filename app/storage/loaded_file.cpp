#include "app/storage/loaded_file.h"

#include <variant>

#include "app/storage/atomic_file.h"

namespace nimbrel {

std::optional<std::string> LoadedFile::read(const std::filesystem::path& path) {
    FileReadResult contents = AtomicFile::read(path);
    if (const FileError* error = std::get_if<FileError>(&contents)) {
        fileFound = !error->isNotFound();
        if (fileFound) {
            problem = error->description();
        }
        return std::nullopt;
    }
    fileFound = true;
    return std::move(std::get<std::string>(contents));
}

} // namespace nimbrel
