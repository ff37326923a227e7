#include "app/storage/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nimbrel {
namespace {

constexpr std::string_view kRead = "read";
constexpr std::string_view kWrite = "write";
constexpr std::string_view kCreate = "create";
constexpr std::string_view kKeepCopy = "keep a copy of";
// Permissions of a new file before the umask: what any editor would give it.
constexpr mode_t kNewFileMode = 0666;

// Closes a descriptor on every path out of a function, keeping errno as the failure left it.
class FileDescriptor {
public:
    explicit FileDescriptor(int descriptor)
        : m_descriptor(descriptor) {}
    ~FileDescriptor() {
        if (m_descriptor >= 0) {
            const int savedErrno = errno;
            ::close(m_descriptor);
            errno = savedErrno;
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const noexcept { return m_descriptor; }
    bool isOpen() const noexcept { return m_descriptor >= 0; }
    /// Closes now and reports whether the close succeeded: on some file systems a write error only
    /// shows at close.
    bool close() noexcept {
        const int descriptor = m_descriptor;
        m_descriptor = -1;
        return ::close(descriptor) == 0;
    }

private:
    int m_descriptor;
};

std::filesystem::path folderOf(const std::filesystem::path& path) {
    const std::filesystem::path folder = path.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

bool writeAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

int fsyncRetrying(int descriptor) {
    int result = 0;
    do {
        result = ::fsync(descriptor);
    } while (result != 0 && errno == EINTR);
    return result;
}

// Makes a rename or a new name durable. Some file systems refuse to fsync a folder (EINVAL); the file
// itself is already on disk then, so this is best effort and never turns a done save into a failure.
void syncFolder(const std::filesystem::path& folder) {
    const FileDescriptor descriptor(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (descriptor.isOpen()) {
        fsyncRetrying(descriptor.get());
    }
}

// A name beside the target that no other writer uses: hidden, with this process's id and a counter.
std::filesystem::path temporaryName(const std::filesystem::path& path, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    const unsigned serial = counter.fetch_add(1) + attempt;
    // Appended piece by piece: GCC 12 at -O3 misreports `"." + std::string` as an overlapping memcpy.
    std::string name = ".";
    name.append(path.filename().string()).append(".tmp-").append(std::to_string(::getpid()));
    name.append("-").append(std::to_string(serial));
    return folderOf(path) / name;
}

std::optional<FileError> writeNew(const std::filesystem::path& path, std::string_view bytes, std::string_view action) {
    FileDescriptor descriptor(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode));
    if (!descriptor.isOpen()) {
        return FileError::fromErrno(path, std::string(action));
    }
    if (!writeAll(descriptor.get(), bytes) || fsyncRetrying(descriptor.get()) != 0 || !descriptor.close()) {
        FileError error = FileError::fromErrno(path, std::string(action));
        ::unlink(path.c_str());
        return error;
    }
    return std::nullopt;
}

} // namespace

std::optional<FileError> AtomicFile::write(const std::filesystem::path& path, std::string_view bytes) {
    std::filesystem::path temporary;
    int descriptorValue = -1;
    for (unsigned attempt = 0; attempt < 100 && descriptorValue < 0; ++attempt) {
        temporary = temporaryName(path, attempt);
        descriptorValue = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (descriptorValue < 0 && errno != EEXIST) {
            break;
        }
    }
    FileDescriptor descriptor(descriptorValue);
    if (!descriptor.isOpen()) {
        // The folder is missing or not writable: name the file the caller asked for, not our temporary.
        return FileError::fromErrno(path, std::string(kWrite));
    }

    // A file the user made private stays private.
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        ::fchmod(descriptor.get(), existing.st_mode & 07777);
    }

    if (!writeAll(descriptor.get(), bytes) || fsyncRetrying(descriptor.get()) != 0 || !descriptor.close() ||
        ::rename(temporary.c_str(), path.c_str()) != 0) {
        FileError error = FileError::fromErrno(path, std::string(kWrite));
        ::unlink(temporary.c_str());
        return error;
    }
    syncFolder(folderOf(path));
    return std::nullopt;
}

std::optional<FileError> AtomicFile::create(const std::filesystem::path& path, std::string_view bytes) {
    if (std::optional<FileError> error = writeNew(path, bytes, kCreate)) {
        return error;
    }
    syncFolder(folderOf(path));
    return std::nullopt;
}

std::optional<FileError> AtomicFile::keepCopy(const std::filesystem::path& path, const std::filesystem::path& copy) {
    if (::link(path.c_str(), copy.c_str()) == 0) {
        syncFolder(folderOf(copy));
        return std::nullopt;
    }
    // A name that is taken, or a file that is gone, will not be helped by copying bytes.
    if (errno == EEXIST || errno == ENOENT) {
        return FileError::fromErrno(path, std::string(kKeepCopy));
    }
    FileReadResult contents = read(path);
    if (const FileError* error = std::get_if<FileError>(&contents)) {
        return FileError{path, std::string(kKeepCopy), error->code};
    }
    if (std::optional<FileError> error = writeNew(copy, std::get<std::string>(contents), kKeepCopy)) {
        return FileError{path, std::string(kKeepCopy), error->code};
    }
    syncFolder(folderOf(copy));
    return std::nullopt;
}

FileReadResult AtomicFile::read(const std::filesystem::path& path) {
    const FileDescriptor descriptor(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!descriptor.isOpen()) {
        return FileError::fromErrno(path, std::string(kRead));
    }
    std::string bytes;
    struct stat status {};
    if (::fstat(descriptor.get(), &status) == 0 && status.st_size > 0) {
        bytes.reserve(static_cast<std::size_t>(status.st_size));
    }
    char buffer[65536];
    while (true) {
        const ssize_t count = ::read(descriptor.get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return FileError::fromErrno(path, std::string(kRead));
        }
        if (count == 0) {
            return bytes;
        }
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
}

} // namespace nimbrel
