#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "app/storage/file_error.h"

namespace nimbrel {

/// A whole file's bytes, or why they could not be read.
using FileReadResult = std::variant<std::string, FileError>;

/// Which version of a file a name leads to: a save replaces the file with a new one, so any save by any
/// process changes it.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNanoseconds = 0;

    friend bool operator==(const FileStamp&, const FileStamp&) = default;

    /// The stamp of what `path` leads to (links followed); none when nothing is there.
    static std::optional<FileStamp> of(const std::filesystem::path& path);
};

/// Whole-file reads and writes for the program's JSON files, so that a crash, a full disk or a power cut
/// leaves either the old file or the new one, never a mixture or a truncated file. A name that is a
/// symbolic link (a dotfiles checkout) stays one: writes go to the file it finally leads to.
struct AtomicFile final {
    AtomicFile() = delete;

    /// Replaces the file `path` leads to with `bytes`, or creates it: a temporary file beside it is written,
    /// flushed and fsynced, renamed over the old file, and the folder is fsynced. An existing file's
    /// permissions are kept; a new file is private to its owner (0600). On failure the old file is
    /// untouched and the temporary file removed.
    static std::optional<FileError> write(const std::filesystem::path& path, std::string_view bytes);

    /// Creates the file `path` leads to with `bytes`, whole or not at all; fails with `isAlreadyThere()`
    /// when a file already has that name, which it never replaces (so a file another process wrote in the
    /// meantime survives). A new file is private to its owner (0600).
    static std::optional<FileError> create(const std::filesystem::path& path, std::string_view bytes);

    /// Moves what `path` holds out of the way to the new name `copy`, so that a write to `path` afterwards
    /// loses nothing. A regular file (through links) gets a second name (a hard link, or a byte copy across
    /// file systems) and stays in place; anything else — a folder, a named pipe, a link to a device, a file
    /// that cannot be copied — has its name in `path`'s folder renamed. Fails with `isAlreadyThere()` when
    /// `copy` exists; errors name `path`.
    static std::optional<FileError> keepAside(const std::filesystem::path& path, const std::filesystem::path& copy);

    /// The file's whole contents, when it is a regular file of at most `maxBytes`. Opening never blocks
    /// (a named pipe is refused, not waited on); a folder, a device or a file too large is refused with an
    /// explanation for the user. `stamp`, when given, receives the stamp of the version read.
    static FileReadResult read(const std::filesystem::path& path, std::size_t maxBytes, FileStamp* stamp = nullptr);

    /// Removes from `folder` the temporary files of saves whose process is gone (killed mid-save); those
    /// of live processes are theirs. Returns how many were removed.
    static std::size_t removeAbandonedTemporaries(const std::filesystem::path& folder);

    /// The name `path` finally leads to after following symbolic links (even to a target that does not
    /// exist yet); `path` itself when it is no link.
    static std::filesystem::path finalTarget(const std::filesystem::path& path);
};

} // namespace nimbrel
