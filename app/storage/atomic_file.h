#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "app/storage/file_error.h"

namespace nimbrel {

/// A whole file's bytes, or why they could not be read.
using FileReadResult = std::variant<std::string, FileError>;

/// Whole-file reads and writes for the program's JSON files, so that a crash, a full disk or a power cut
/// leaves either the old file or the new one, never a mixture or a truncated file.
struct AtomicFile final {
    AtomicFile() = delete;

    /// Replaces `path` with `bytes`, or creates it: a temporary file in the same folder is written, flushed
    /// and fsynced, renamed over the old file, and the folder is fsynced. An existing file's permissions
    /// are kept. On failure the old file is untouched and the temporary file removed.
    static std::optional<FileError> write(const std::filesystem::path& path, std::string_view bytes);

    /// Creates `path` with `bytes` and fsyncs it; fails with `isAlreadyThere()` when anything already has
    /// that name, which it never replaces.
    static std::optional<FileError> create(const std::filesystem::path& path, std::string_view bytes);

    /// Gives the file at `path` a second name `copy`, so that replacing `path` later leaves the old contents
    /// at `copy`. A hard link where the file system has them (no bytes copied, works without permission to
    /// read the file), a byte copy otherwise. Fails with `isAlreadyThere()` when `copy` exists; errors name
    /// `path`.
    static std::optional<FileError> keepCopy(const std::filesystem::path& path, const std::filesystem::path& copy);

    /// The file's whole contents.
    static FileReadResult read(const std::filesystem::path& path);
};

} // namespace nimbrel
