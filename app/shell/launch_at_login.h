#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace nimbrel {

/// Where "Open at login" stands, read from the autostart file itself.
struct LaunchAtLoginStatus {
    enum class State {
        /// No autostart file, or ours switched off by the desktop's startup settings (Hidden=true).
        off,
        /// Our autostart file is in place.
        enabled,
        /// A file that is not ours holds the name, or the file cannot be read; `problem` says which.
        problem,
    };

    State state = State::off;
    /// A sentence naming the file and what is wrong with it; empty unless `state` is `problem`.
    std::string problem = {};

    friend bool operator==(const LaunchAtLoginStatus&, const LaunchAtLoginStatus&) = default;

    /// The settings' status line: "Enabled", "Off", or the problem.
    std::string line() const;
};

/// The "Open at login" switch: the desktop's XDG autostart entry
/// `$XDG_CONFIG_HOME/autostart/com.quillmoor.nimbrel.desktop` (~/.config when the variable is unset).
/// Turning it on writes that file atomically; off removes it. A file of that name that Nimbrel did not
/// write (recognised by kMarkerKey) belongs to the user or another tool and is never replaced or removed.
class LaunchAtLogin {
public:
    static constexpr std::string_view kFileName = "com.quillmoor.nimbrel.desktop";
    /// The key that marks an autostart file as written by Nimbrel.
    static constexpr std::string_view kMarkerKey = "X-Nimbrel-Autostart";
    static constexpr std::string_view kEnabledLine = "Enabled";
    static constexpr std::string_view kOffLine = "Off";
    /// Autostart files are a few hundred bytes; anything far larger is not one of ours.
    static constexpr std::size_t kMaxFileBytes = 64 * 1024;

    /// Manages the autostart file `file`, which starts the program with the Exec value `execValue`.
    LaunchAtLogin(std::filesystem::path file, std::string execValue);

    /// The switch for this user and this executable, from XDG_CONFIG_HOME, HOME, PATH and /proc/self/exe.
    static LaunchAtLogin forThisUser();

    /// `$XDG_CONFIG_HOME/autostart/…`; a relative or empty XDG_CONFIG_HOME counts as unset (as the XDG
    /// base-directory rules say), giving `$HOME/.config/autostart/…`.
    static std::filesystem::path autostartFile(const char* xdgConfigHome, const char* home);

    /// The command that starts the desktop program, as a desktop file's Exec value: `nimbrel` when
    /// `executable` is the `nimbrel` that `pathVariable` finds first, else `executable`'s absolute path,
    /// quoted and escaped as desktop files require. None when the path cannot be written in a desktop
    /// file (it is not UTF-8 text).
    static std::optional<std::string> execValueFor(const std::filesystem::path& executable,
                                                   std::string_view pathVariable);

    /// The whole autostart file for `execValue`.
    static std::string fileContents(std::string_view execValue);

    const std::filesystem::path& file() const noexcept { return m_file; }

    /// What the file on disk says now.
    LaunchAtLoginStatus status() const;
    /// Turns starting at login on or off. On failure answers the error's description; the file is then as
    /// it was, and `status()` tells what it is.
    std::optional<std::string> setEnabled(bool enabled) const;

private:
    struct Inspection {
        LaunchAtLoginStatus status;
        /// Whether the file is one Nimbrel wrote (enabled, or switched off by the desktop's settings).
        bool ours = false;
    };

    Inspection inspect() const;
    std::optional<std::string> enable() const;
    std::optional<std::string> disable() const;
    std::string notOursProblem() const;

    std::filesystem::path m_file;
    std::string m_execValue;
};

} // namespace nimbrel
