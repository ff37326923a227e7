#include "app/storage/atomic_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>
#include <utility>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nimbrel {
namespace {

constexpr std::string_view kRead = "read";
constexpr std::string_view kWrite = "write";
constexpr std::string_view kCreate = "create";
constexpr std::string_view kKeepAside = "keep a copy of";
// The files hold private data (saved statuses, workspace names): new ones are the owner's alone.
constexpr mode_t kNewFileMode = 0600;
constexpr std::string_view kTemporaryMarker = ".tmp-";
// As many links as the kernel follows before it gives up with ELOOP.
constexpr int kMaxLinksFollowed = 40;

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

// A name beside the target that no other writer uses: hidden, with this process's id and a counter. The
// folder's cleanup recognises the pattern and removes those of processes that died mid-save.
std::filesystem::path temporaryName(const std::filesystem::path& path, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    const unsigned serial = counter.fetch_add(1) + attempt;
    // Appended piece by piece: GCC 12 at -O3 misreports `"." + std::string` as an overlapping memcpy.
    std::string name = ".";
    name.append(path.filename().string()).append(kTemporaryMarker).append(std::to_string(::getpid()));
    name.append("-").append(std::to_string(serial));
    return folderOf(path) / name;
}

FileStamp stampOf(const struct stat& status) {
    return FileStamp{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
                     static_cast<std::int64_t>(status.st_size),
                     static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec};
}

// The process id in a name `temporaryName` made: ".<name>.tmp-<pid>-<serial>".
std::optional<pid_t> temporaryOwner(std::string_view name) {
    const std::size_t marker = name.rfind(kTemporaryMarker);
    if (name.size() < 2 || name.front() != '.' || marker == std::string_view::npos || marker < 2) {
        return std::nullopt;
    }
    const std::string_view rest = name.substr(marker + kTemporaryMarker.size());
    const std::size_t dash = rest.find('-');
    const auto allDigits = [](std::string_view digits) {
        return !digits.empty() && digits.size() <= 10 &&
               std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (dash == std::string_view::npos || !allDigits(rest.substr(0, dash)) || !allDigits(rest.substr(dash + 1))) {
        return std::nullopt;
    }
    const pid_t owner = static_cast<pid_t>(std::stoll(std::string(rest.substr(0, dash))));
    return owner > 0 ? std::optional<pid_t>(owner) : std::nullopt;
}

// A fresh temporary beside `target` holding `bytes`, flushed to disk; its path, or the error (which names
// `path`, the file the caller asked for, not our temporary).
std::variant<std::filesystem::path, FileError> writeTemporary(const std::filesystem::path& path,
                                                              const std::filesystem::path& target,
                                                              std::string_view bytes, std::string_view action) {
    std::filesystem::path temporary;
    int descriptorValue = -1;
    for (unsigned attempt = 0; attempt < 100 && descriptorValue < 0; ++attempt) {
        temporary = temporaryName(target, attempt);
        descriptorValue = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (descriptorValue < 0 && errno != EEXIST) {
            break;
        }
    }
    FileDescriptor descriptor(descriptorValue);
    if (!descriptor.isOpen()) {
        return FileError::fromErrno(path, std::string(action));
    }
    // A file the user gave other permissions keeps them.
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        ::fchmod(descriptor.get(), existing.st_mode & 07777);
    }
    if (!writeAll(descriptor.get(), bytes) || fsyncRetrying(descriptor.get()) != 0 || !descriptor.close()) {
        FileError error = FileError::fromErrno(path, std::string(action));
        ::unlink(temporary.c_str());
        return error;
    }
    return temporary;
}

std::string kindOfFile(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "it is a folder, not a file";
    }
    if (S_ISFIFO(mode)) {
        return "it is a named pipe, not a file";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "it is a device, not a file";
    }
    if (S_ISSOCK(mode)) {
        return "it is a socket, not a file";
    }
    return "it is not a regular file";
}

std::string sizeLimitText(std::size_t maxBytes) {
    constexpr std::size_t kMebibyte = 1024 * 1024;
    return maxBytes >= kMebibyte && maxBytes % kMebibyte == 0 ? std::to_string(maxBytes / kMebibyte) + " MiB"
                                                              : std::to_string(maxBytes) + " bytes";
}

FileError tooLarge(const std::filesystem::path& path, std::size_t maxBytes) {
    return FileError{path, std::string(kRead), std::make_error_code(std::errc::file_too_large),
                     "it is larger than " + sizeLimitText(maxBytes) + ", more than Nimbrel ever writes there"};
}

// Renames `from` to `to` unless `to` exists. Where the file system cannot say (renameat2 unsupported),
// checks first: every writer of the folder holds its lock, so nobody takes the name in between.
int renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return -1;
    }
    struct stat taken {};
    if (::lstat(to.c_str(), &taken) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from.c_str(), to.c_str());
}

} // namespace

std::optional<FileStamp> FileStamp::of(const std::filesystem::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return stampOf(status);
}

std::size_t AtomicFile::removeAbandonedTemporaries(const std::filesystem::path& folder) {
    std::size_t removed = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::optional<pid_t> writer = temporaryOwner(entry.path().filename().string());
        // kill(pid, 0) probes without signalling; ESRCH means no such process. EPERM means alive.
        if (writer && *writer != ::getpid() && ::kill(*writer, 0) != 0 && errno == ESRCH &&
            ::unlink(entry.path().c_str()) == 0) {
            ++removed;
        }
    }
    return removed;
}

std::filesystem::path AtomicFile::finalTarget(const std::filesystem::path& path) {
    std::filesystem::path current = path;
    for (int followed = 0; followed < kMaxLinksFollowed; ++followed) {
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(current, error))) {
            return current;
        }
        const std::filesystem::path target = std::filesystem::read_symlink(current, error);
        if (error) {
            return current;
        }
        current = target.is_absolute() ? target : folderOf(current) / target;
    }
    // A loop of links leads nowhere: the name itself is what can be written.
    return path;
}

std::optional<FileError> AtomicFile::write(const std::filesystem::path& path, std::string_view bytes) {
    const std::filesystem::path target = finalTarget(path);
    auto temporary = writeTemporary(path, target, bytes, kWrite);
    if (FileError* error = std::get_if<FileError>(&temporary)) {
        return std::move(*error);
    }
    const std::filesystem::path& written = std::get<std::filesystem::path>(temporary);
    if (::rename(written.c_str(), target.c_str()) != 0) {
        FileError error = FileError::fromErrno(path, std::string(kWrite));
        ::unlink(written.c_str());
        return error;
    }
    syncFolder(folderOf(target));
    return std::nullopt;
}

std::optional<FileError> AtomicFile::create(const std::filesystem::path& path, std::string_view bytes) {
    const std::filesystem::path target = finalTarget(path);
    auto temporary = writeTemporary(path, target, bytes, kCreate);
    if (FileError* error = std::get_if<FileError>(&temporary)) {
        return std::move(*error);
    }
    const std::filesystem::path& written = std::get<std::filesystem::path>(temporary);
    // The whole file appears at once under its name, and only if the name is free.
    if (renameNoReplace(written, target) != 0) {
        FileError error = FileError::fromErrno(path, std::string(kCreate));
        ::unlink(written.c_str());
        return error;
    }
    syncFolder(folderOf(target));
    return std::nullopt;
}

std::optional<FileError> AtomicFile::keepAside(const std::filesystem::path& path, const std::filesystem::path& copy) {
    struct stat taken {};
    if (::lstat(copy.c_str(), &taken) == 0) {
        return FileError{path, std::string(kKeepAside), std::make_error_code(std::errc::file_exists)};
    }
    const std::filesystem::path target = finalTarget(path);
    struct stat status {};
    if (::stat(target.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
        // A second name: no bytes copied, and it works without permission to read the file.
        if (::link(target.c_str(), copy.c_str()) == 0) {
            syncFolder(folderOf(copy));
            return std::nullopt;
        }
        if (errno == EEXIST) {
            return FileError::fromErrno(path, std::string(kKeepAside));
        }
        FileReadResult contents = read(target, static_cast<std::size_t>(status.st_size));
        if (const std::string* bytes = std::get_if<std::string>(&contents)) {
            if (std::optional<FileError> error = create(copy, *bytes)) {
                return FileError{path, std::string(kKeepAside), error->code};
            }
            return std::nullopt;
        }
    }
    // Not a file that can be copied: its name moves aside instead, whatever it is.
    if (::lstat(path.c_str(), &status) != 0 || renameNoReplace(path, copy) != 0) {
        return FileError::fromErrno(path, std::string(kKeepAside));
    }
    syncFolder(folderOf(copy));
    return std::nullopt;
}

FileReadResult AtomicFile::read(const std::filesystem::path& path, std::size_t maxBytes, FileStamp* stamp) {
    // O_NONBLOCK: opening a named pipe for reading would otherwise wait for a writer forever.
    const FileDescriptor descriptor(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!descriptor.isOpen()) {
        return FileError::fromErrno(path, std::string(kRead));
    }
    struct stat status {};
    if (::fstat(descriptor.get(), &status) != 0) {
        return FileError::fromErrno(path, std::string(kRead));
    }
    if (stamp != nullptr) {
        *stamp = stampOf(status);
    }
    if (!S_ISREG(status.st_mode)) {
        return FileError{path, std::string(kRead), std::make_error_code(std::errc::invalid_argument),
                         kindOfFile(status.st_mode)};
    }
    if (status.st_size < 0 || static_cast<std::uint64_t>(status.st_size) > maxBytes) {
        return tooLarge(path, maxBytes);
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(status.st_size));
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
        // A file that grows while it is read is held to the same limit.
        if (bytes.size() + static_cast<std::size_t>(count) > maxBytes) {
            return tooLarge(path, maxBytes);
        }
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
}

} // namespace nimbrel
