#include "app/storage/folder_lock.h"

#include <cerrno>
#include <string>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace nimbrel {

std::variant<FolderLock, FileError> FolderLock::acquire(const std::filesystem::path& folder) {
    const std::filesystem::path file = folder / kFileName;
    const int descriptor = ::open(file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        return FileError::fromErrno(file, "lock");
    }
    int result = 0;
    do {
        result = ::flock(descriptor, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        FileError error = FileError::fromErrno(file, "lock");
        ::close(descriptor);
        return error;
    }
    return FolderLock(descriptor);
}

FolderLock::FolderLock(FolderLock&& other) noexcept
    : m_descriptor(std::exchange(other.m_descriptor, -1)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
    if (this != &other) {
        if (m_descriptor >= 0) {
            ::close(m_descriptor);
        }
        m_descriptor = std::exchange(other.m_descriptor, -1);
    }
    return *this;
}

FolderLock::~FolderLock() {
    // Closing the last descriptor of the open file releases the lock.
    if (m_descriptor >= 0) {
        ::close(m_descriptor);
    }
}

} // namespace nimbrel
