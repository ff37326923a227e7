#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "app/storage/atomic_file.h"
#include "core/json/decode_error.h"

namespace nimbrel {

/// One of the program's files as read, without side effects: whether it was there, its bytes, and why it
/// could not be used. The stores, the doctor and the commands all read through this, so they agree.
struct FileReading {
    enum class Condition { missing, present, unreadable };

    Condition condition = Condition::missing;
    /// The file's bytes, when it could be read.
    std::string bytes;
    /// Why an existing file could not be used, for the user: the system's reason, or where and why it
    /// failed to decode. The file's path is not repeated in it.
    std::optional<std::string> problem;
    /// The version read; none when nothing was there.
    std::optional<FileStamp> stamp;

    /// Reads `path` (links followed) when it is a regular file of at most `maxBytes`.
    static FileReading of(const std::filesystem::path& path, std::size_t maxBytes);

    bool isFound() const noexcept { return condition != Condition::missing; }
    bool isUsable() const noexcept { return condition == Condition::present; }
    /// Notes that the bytes that were read failed to decode.
    void noteUndecodable(const DecodeError& error);

    /// The bytes decoded by `decode`, which throws DecodeError; none when the file was not usable or did not
    /// decode, the latter noted as this reading's problem.
    template <typename Decode>
    auto decoded(Decode decode) -> std::optional<decltype(decode(std::string_view{}))> {
        if (!isUsable()) {
            return std::nullopt;
        }
        try {
            return decode(bytes);
        } catch (const DecodeError& error) {
            noteUndecodable(error);
            return std::nullopt;
        }
    }
};

} // namespace nimbrel
