#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace nimbrel {

/// The outcome of reading a whole file.
struct FileRead {
    /// The bytes, when the file could be read.
    std::optional<std::string> contents;
    /// The file does not exist.
    bool missing = false;
    /// Why it could not be read, when it exists.
    std::string problem;
};

/// Reads a whole file, telling a missing file from one that cannot be read.
FileRead readWholeFile(const std::filesystem::path& file);

/// Replaces `file` with `bytes` so that readers see the old file or the new one, never a mix: the bytes go
/// to a temporary file in the same folder, are flushed to disk, and the temporary file is renamed over the
/// old one. Returns why it failed, or none.
std::optional<std::string> writeFileAtomically(const std::filesystem::path& file, std::string_view bytes);

} // namespace nimbrel
