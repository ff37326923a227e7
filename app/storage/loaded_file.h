#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "core/json/decode_error.h"

namespace nimbrel {

/// What loading one of the program's files found out besides its value: whether the file was there, and
/// why it could not be used. The stores load leniently and say nothing in the log about a bad file; this
/// record keeps the reason for the doctor, which is where a user asks what went wrong.
struct LoadedFile {
    bool fileFound = false;
    /// Why an existing file could not be used: the system's error, or where and why it failed to decode.
    std::optional<std::string> problem;

    /// The file's bytes; none, after noting here whether it exists and why it cannot be read, when they
    /// cannot be had.
    std::optional<std::string> read(const std::filesystem::path& path);
    /// Notes that the bytes that were read failed to decode.
    void noteUndecodable(const DecodeError& error) { problem = error.what(); }
};

} // namespace nimbrel
