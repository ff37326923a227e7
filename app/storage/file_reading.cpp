#include "app/storage/file_reading.h"

#include <utility>
#include <variant>

namespace nimbrel {

FileReading FileReading::of(const std::filesystem::path& path, std::size_t maxBytes) {
    FileReading reading;
    FileStamp stamp;
    FileReadResult contents = AtomicFile::read(path, maxBytes, &stamp);
    if (std::string* bytes = std::get_if<std::string>(&contents)) {
        reading.condition = Condition::present;
        reading.bytes = std::move(*bytes);
        reading.stamp = stamp;
        return reading;
    }
    const FileError& error = std::get<FileError>(contents);
    // A dangling link, or a folder path through a file, counts as missing: nothing is there to lose.
    if (error.isNotFound() || error.code == std::errc::not_a_directory) {
        return reading;
    }
    reading.condition = Condition::unreadable;
    reading.problem = error.explanation();
    reading.stamp = FileStamp::of(path);
    return reading;
}

void FileReading::noteUndecodable(const DecodeError& error) {
    condition = Condition::unreadable;
    problem = error.what();
}

} // namespace nimbrel
