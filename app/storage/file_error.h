#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace nimbrel {

/// A file operation that failed, with the system's reason. Storage reports failures as values: a save
/// that fails must leave the program running with its configuration in memory.
struct FileError {
    /// The file (or folder) the operation was about.
    std::filesystem::path path;
    /// What was being done, as a verb: "read", "write", "create", "keep a copy of".
    std::string action;
    /// The system's error, as errno gave it.
    std::error_code code;

    friend bool operator==(const FileError&, const FileError&) = default;

    /// Builds an error from the current `errno`.
    static FileError fromErrno(std::filesystem::path path, std::string action);

    /// "couldn’t write “/home/ada/.config/Nimbrel/config.json”: No space left on device".
    std::string description() const;
    bool isNotFound() const noexcept { return code == std::errc::no_such_file_or_directory; }
    bool isAlreadyThere() const noexcept { return code == std::errc::file_exists; }
};

} // namespace nimbrel
