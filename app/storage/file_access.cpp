#include "app/storage/file_access.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <unistd.h>

namespace nimbrel {

FileRead readWholeFile(const std::filesystem::path& file) {
    FileRead read;
    std::error_code error;
    if (!std::filesystem::exists(file, error) && !error) {
        read.missing = true;
        read.problem = "the file does not exist";
        return read;
    }
    if (std::filesystem::is_directory(file, error)) {
        read.problem = "it is a folder, not a file";
        return read;
    }
    std::ifstream stream(file, std::ios::binary);
    if (!stream) {
        read.problem = std::strerror(errno);
        return read;
    }
    std::ostringstream bytes;
    bytes << stream.rdbuf();
    if (stream.bad()) {
        read.problem = "the file could not be read";
        return read;
    }
    read.contents = bytes.str();
    return read;
}

std::optional<std::string> writeFileAtomically(const std::filesystem::path& file, std::string_view bytes) {
    std::string temporary = (file.parent_path() / ("." + file.filename().string() + ".XXXXXX")).string();
    const int descriptor = ::mkstemp(temporary.data());
    if (descriptor < 0) {
        return std::string(std::strerror(errno));
    }
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t result = ::write(descriptor, bytes.data() + written, bytes.size() - written);
        if (result < 0) {
            if (errno == EINTR) {
                continue;
            }
            const std::string reason = std::strerror(errno);
            ::close(descriptor);
            ::unlink(temporary.c_str());
            return reason;
        }
        written += static_cast<std::size_t>(result);
    }
    if (::fsync(descriptor) != 0 || ::close(descriptor) != 0) {
        const std::string reason = std::strerror(errno);
        ::unlink(temporary.c_str());
        return reason;
    }
    if (::rename(temporary.c_str(), file.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        ::unlink(temporary.c_str());
        return reason;
    }
    return std::nullopt;
}

} // namespace nimbrel
