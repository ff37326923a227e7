#include "app/storage/file_error.h"

#include <cerrno>
#include <utility>

namespace nimbrel {

FileError FileError::fromErrno(std::filesystem::path path, std::string action) {
    return FileError{std::move(path), std::move(action), std::error_code(errno, std::generic_category())};
}

std::string FileError::description() const {
    return "couldn\u2019t " + action + " \u201C" + path.string() + "\u201D: " + explanation();
}

} // namespace nimbrel
