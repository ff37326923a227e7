#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/storage/file_error.h"

namespace nimbrel {

/// The folder that holds the program's files: config.json, state.json, genre-cache.json and the log.
/// It is `$NIMBREL_HOME` when that is set, else `$XDG_CONFIG_HOME/Nimbrel`, else `~/.config/Nimbrel`.
class AppFolder {
public:
    /// Looks up an environment variable; none when it is unset.
    using Environment = std::function<std::optional<std::string>(std::string_view name)>;

    static constexpr std::string_view kHomeVariable = "NIMBREL_HOME";
    static constexpr std::string_view kFolderName = "Nimbrel";
    static constexpr std::string_view kConfigFileName = "config.json";
    static constexpr std::string_view kStateFileName = "state.json";
    static constexpr std::string_view kGenreCacheFileName = "genre-cache.json";

    /// The folder at `path`, as given.
    explicit AppFolder(std::filesystem::path path);

    /// The folder the process's environment names.
    static AppFolder fromEnvironment();
    /// The folder `environment` names. Empty variables count as unset, and a relative `XDG_CONFIG_HOME`
    /// is ignored as the XDG rules ask. Without any home the folder lies in the working directory.
    static std::filesystem::path defaultPath(const Environment& environment);

    const std::filesystem::path& path() const noexcept { return m_path; }

    /// The path of a file in the folder; touches nothing.
    std::filesystem::path file(std::string_view fileName) const { return m_path / fileName; }

    /// Creates the folder, and the parents it lacks, private to the user (0700), as the XDG rules ask of
    /// a folder of private data. An existing folder is left as it is.
    std::optional<FileError> create() const;

    /// Opens the folder for the program: creates it, then removes the temporary files of saves that
    /// never finished (their process died), each a copy of private data. A failure to create the folder
    /// shows as the first write's error.
    void open() const;

private:
    std::filesystem::path m_path;
};

} // namespace nimbrel
