#include "app/storage/app_folder.h"

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <utility>
#include <vector>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/storage/atomic_file.h"

namespace nimbrel {
namespace {

constexpr mode_t kFolderMode = 0700;

std::optional<std::string> processVariable(std::string_view name) {
    const char* value = std::getenv(std::string(name).c_str());
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

std::optional<std::string> nonEmpty(const AppFolder::Environment& environment, std::string_view name) {
    std::optional<std::string> value = environment(name);
    if (value && value->empty()) {
        return std::nullopt;
    }
    return value;
}

// The home folder from the user database, for sessions started without HOME (some service managers).
std::optional<std::string> homeFromPasswordDatabase() {
    long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    struct passwd entry {};
    struct passwd* result = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) != 0 || result == nullptr ||
        result->pw_dir == nullptr || result->pw_dir[0] == '\0') {
        return std::nullopt;
    }
    return std::string(result->pw_dir);
}

} // namespace

AppFolder::AppFolder(std::filesystem::path path)
    : m_path(std::move(path)) {}

AppFolder AppFolder::fromEnvironment() {
    return AppFolder(defaultPath(processVariable));
}

std::filesystem::path AppFolder::defaultPath(const Environment& environment) {
    if (const auto home = nonEmpty(environment, kHomeVariable)) {
        return std::filesystem::path(*home);
    }
    if (const auto configHome = nonEmpty(environment, "XDG_CONFIG_HOME");
        configHome && std::filesystem::path(*configHome).is_absolute()) {
        return std::filesystem::path(*configHome) / kFolderName;
    }
    std::optional<std::string> userHome = nonEmpty(environment, "HOME");
    if (!userHome) {
        userHome = homeFromPasswordDatabase();
    }
    return std::filesystem::path(userHome.value_or(".")) / ".config" / kFolderName;
}

std::optional<FileError> AppFolder::create() const {
    // Each missing component is made 0700 (before the umask), from the outermost inwards.
    std::vector<std::filesystem::path> missing;
    for (std::filesystem::path current = m_path; !current.empty(); current = current.parent_path()) {
        struct stat status {};
        if (::stat(current.c_str(), &status) == 0) {
            if (!S_ISDIR(status.st_mode)) {
                return FileError{current, "create", std::make_error_code(std::errc::not_a_directory)};
            }
            break;
        }
        missing.push_back(current);
        if (current == current.parent_path()) {
            break;
        }
    }
    for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder) {
        if (::mkdir(folder->c_str(), kFolderMode) != 0 && errno != EEXIST) {
            return FileError::fromErrno(*folder, "create");
        }
    }
    return std::nullopt;
}

void AppFolder::open() const {
    if (!create()) {
        AtomicFile::removeAbandonedTemporaries(m_path);
    }
}

} // namespace nimbrel
