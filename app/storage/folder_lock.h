#pragma once

#include <filesystem>
#include <variant>

#include "app/storage/file_error.h"

namespace nimbrel {

/// Exclusive hold of the program's folder for writing: an advisory `flock` on the lock file in it. Every
/// process that writes the folder's files (the desktop program, the headless engine, the commands) takes
/// it around each save, so saves never interleave. Released when destroyed, or by the kernel when the
/// process dies, so a killed writer never leaves the folder locked.
class FolderLock {
public:
    /// The lock file's name; it stays in the folder and holds nothing.
    static constexpr std::string_view kFileName = ".lock";

    /// Waits until no other process holds the lock of `folder`, then holds it.
    static std::variant<FolderLock, FileError> acquire(const std::filesystem::path& folder);

    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();

private:
    explicit FolderLock(int descriptor) noexcept
        : m_descriptor(descriptor) {}
    int m_descriptor = -1;
};

} // namespace nimbrel
