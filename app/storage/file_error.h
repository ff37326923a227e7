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
    /// The system's error, as errno gave it, or the closest one for a refusal of our own.
    std::error_code code;
    /// Our own explanation, shown instead of the system's text when set ("it is a named pipe, not a file").
    std::string reason = {};

    friend bool operator==(const FileError&, const FileError&) = default;

    /// Builds an error from the current `errno`.
    static FileError fromErrno(std::filesystem::path path, std::string action);

    /// "couldn’t write “/home/ada/.config/Nimbrel/config.json”: No space left on device".
    std::string description() const;
    /// The explanation alone, without the action and the path: "No space left on device".
    std::string explanation() const { return reason.empty() ? code.message() : reason; }
    bool isNotFound() const noexcept { return code == std::errc::no_such_file_or_directory; }
    bool isAlreadyThere() const noexcept { return code == std::errc::file_exists; }
};

} // namespace nimbrel
