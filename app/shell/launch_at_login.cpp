#include "app/shell/launch_at_login.h"

#include <cstdlib>
#include <string>
#include <system_error>
#include <utility>
#include <variant>

#include <pwd.h>
#include <unistd.h>

#include "app/storage/atomic_file.h"
#include "app/storage/file_error.h"
#include "core/text/utf8.h"

namespace nimbrel {

namespace {

constexpr std::string_view kProgramName = "nimbrel";

// Characters that oblige an Exec argument to be quoted (Desktop Entry Specification, "The Exec key").
constexpr std::string_view kReservedCharacters = " \t\n\"'\\><~|&;$*?#()`";

// One Exec argument: percent signs doubled (they introduce field codes), quoted when it holds a reserved
// character, and then escaped as a desktop file's string value, which is read before the quoting is.
std::string execArgument(std::string_view argument) {
    std::string withPercents;
    for (const char c : argument) {
        withPercents += c;
        if (c == '%') {
            withPercents += '%';
        }
    }
    std::string quoted;
    if (withPercents.find_first_of(kReservedCharacters) == std::string::npos) {
        quoted = std::move(withPercents);
    } else {
        quoted = "\"";
        for (const char c : withPercents) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') {
                quoted += '\\';
            }
            quoted += c;
        }
        quoted += '"';
    }
    std::string value;
    for (const char c : quoted) {
        switch (c) {
        case '\\':
            value += "\\\\";
            break;
        case '\n':
            value += "\\n";
            break;
        case '\t':
            value += "\\t";
            break;
        case '\r':
            value += "\\r";
            break;
        default:
            value += c;
        }
    }
    return value;
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// The value of `key` in the file (the first line that sets it), trimmed. Our files have one group only, and
// the keys read here mean the same in any group a foreign file might have.
std::optional<std::string_view> valueOf(std::string_view contents, std::string_view key) {
    while (!contents.empty()) {
        const auto end = contents.find('\n');
        const std::string_view line = contents.substr(0, end);
        contents = end == std::string_view::npos ? std::string_view() : contents.substr(end + 1);
        const auto equals = line.find('=');
        if (equals != std::string_view::npos && trimmed(line.substr(0, equals)) == key) {
            return trimmed(line.substr(equals + 1));
        }
    }
    return std::nullopt;
}

std::filesystem::path homeFolder(const char* home) {
    if (home != nullptr && *home != '\0') {
        return home;
    }
    // A session without HOME (some service managers) still has a password-database entry.
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return "/";
}

} // namespace

std::string LaunchAtLoginStatus::line() const {
    switch (state) {
    case State::off:
        return std::string(LaunchAtLogin::kOffLine);
    case State::enabled:
        return std::string(LaunchAtLogin::kEnabledLine);
    case State::problem:
        break;
    }
    return problem;
}

LaunchAtLogin::LaunchAtLogin(std::filesystem::path file, std::string execValue)
    : m_file(std::move(file))
    , m_execValue(std::move(execValue)) {}

LaunchAtLogin LaunchAtLogin::forThisUser() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    const char* pathVariable = std::getenv("PATH");
    std::optional<std::string> execValue;
    if (!error) {
        execValue = execValueFor(executable, pathVariable == nullptr ? std::string_view() : pathVariable);
    }
    return LaunchAtLogin(autostartFile(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")),
                         execValue.value_or(std::string()));
}

std::filesystem::path LaunchAtLogin::autostartFile(const char* xdgConfigHome, const char* home) {
    std::filesystem::path configHome;
    if (xdgConfigHome != nullptr && *xdgConfigHome == '/') {
        configHome = xdgConfigHome;
    } else {
        configHome = homeFolder(home) / ".config";
    }
    return configHome / "autostart" / kFileName;
}

std::optional<std::string> LaunchAtLogin::execValueFor(const std::filesystem::path& executable,
                                                       std::string_view pathVariable) {
    // The login session's PATH finds the same program when it is the first `nimbrel` on ours; a short
    // command keeps working when a package update replaces the file.
    while (true) {
        const auto colon = pathVariable.find(':');
        const std::string_view folder = pathVariable.substr(0, colon);
        // An empty entry means the current folder, which at login is not the one it is now.
        if (!folder.empty() && folder.front() == '/') {
            const std::filesystem::path candidate = std::filesystem::path(folder) / kProgramName;
            if (::access(candidate.c_str(), X_OK) == 0) {
                std::error_code error;
                if (std::filesystem::equivalent(candidate, executable, error) && !error) {
                    return std::string(kProgramName);
                }
                break;
            }
        }
        if (colon == std::string_view::npos) {
            break;
        }
        pathVariable.remove_prefix(colon + 1);
    }
    const std::string absolute = std::filesystem::absolute(executable).lexically_normal().string();
    if (!Utf8::isValid(absolute)) {
        return std::nullopt;
    }
    return execArgument(absolute);
}

std::string LaunchAtLogin::fileContents(std::string_view execValue) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Nimbrel\n"
           "Comment=Keep your Slack status in step with the music you play\n"
           "Exec=" +
           std::string(execValue) +
           "\n"
           "Icon=com.quillmoor.nimbrel\n"
           "Terminal=false\n"
           "StartupNotify=false\n" +
           std::string(kMarkerKey) + "=true\n";
}

LaunchAtLoginStatus LaunchAtLogin::status() const {
    return inspect().status;
}

LaunchAtLogin::Inspection LaunchAtLogin::inspect() const {
    const FileReadResult read = AtomicFile::read(m_file, kMaxFileBytes);
    if (const auto* error = std::get_if<FileError>(&read)) {
        if (error->isNotFound()) {
            return {{LaunchAtLoginStatus::State::off}, false};
        }
        return {{LaunchAtLoginStatus::State::problem, error->description()}, false};
    }
    const std::string& contents = std::get<std::string>(read);
    if (valueOf(contents, kMarkerKey) != "true") {
        return {{LaunchAtLoginStatus::State::problem, notOursProblem()}, false};
    }
    // The desktop's own startup settings switch an entry off in place instead of removing it.
    if (valueOf(contents, "Hidden") == "true" || valueOf(contents, "X-GNOME-Autostart-enabled") == "false") {
        return {{LaunchAtLoginStatus::State::off}, true};
    }
    return {{LaunchAtLoginStatus::State::enabled}, true};
}

std::optional<std::string> LaunchAtLogin::setEnabled(bool enabled) const {
    return enabled ? enable() : disable();
}

std::optional<std::string> LaunchAtLogin::enable() const {
    const Inspection now = inspect();
    if (now.status.state == LaunchAtLoginStatus::State::problem) {
        return now.status.problem;
    }
    if (m_execValue.empty()) {
        return "couldn\u2019t write \u201C" + m_file.string() +
               "\u201D: the path of this Nimbrel can\u2019t be written in an autostart file (it is not UTF-8 text)";
    }
    const std::string contents = fileContents(m_execValue);
    if (now.ours) {
        // Ours already: rewrite it, switched on and starting the program that is running now.
        if (auto error = AtomicFile::write(m_file, contents)) {
            return error->description();
        }
        return std::nullopt;
    }
    std::error_code folderError;
    const std::filesystem::path folder = m_file.parent_path();
    std::filesystem::create_directories(folder, folderError);
    if (folderError) {
        return FileError{folder, "create the folder", folderError}.description();
    }
    // Created, never replaced: a file another tool put there since the check above is left alone.
    if (auto error = AtomicFile::create(m_file, contents)) {
        if (error->isAlreadyThere()) {
            return notOursProblem();
        }
        return error->description();
    }
    return std::nullopt;
}

std::optional<std::string> LaunchAtLogin::disable() const {
    const Inspection now = inspect();
    if (now.status.state == LaunchAtLoginStatus::State::problem) {
        return now.status.problem;
    }
    if (!now.ours) {
        return std::nullopt;
    }
    // A symbolic link loses its name only; what it leads to is the user's.
    std::error_code error;
    std::filesystem::remove(m_file, error);
    if (error) {
        return FileError{m_file, "remove", error}.description();
    }
    return std::nullopt;
}

std::string LaunchAtLogin::notOursProblem() const {
    return "\u201C" + m_file.string() +
           "\u201D wasn\u2019t written by Nimbrel, so Nimbrel leaves it alone — remove it to switch Open at login "
           "here";
}

} // namespace nimbrel
