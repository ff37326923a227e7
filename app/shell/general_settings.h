#pragma once

#include <QObject>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/shell/launch_at_login.h"

namespace nimbrel {

class EngineViewModel;

/// What the General tab of the settings shows and does: starting at login, the cat's animation, the
/// configuration file, the log and the version. The view only draws this and forwards clicks.
class GeneralSettings final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GeneralSettings)

public:
    static constexpr std::string_view kStartupSection = "Startup";
    static constexpr std::string_view kOpenAtLogin = "Open at login";
    static constexpr std::string_view kOpenAutostartFolder = "Open Autostart Folder\u2026";
    static constexpr std::string_view kStartupNote =
        "Your desktop starts Nimbrel from ~/.config/autostart when you log in. Install it with your system\u2019s "
        "packages (or keep it on your PATH) for this to stick.";
    static constexpr std::string_view kIslandSection = "Island";
    static constexpr std::string_view kAnimateDevo = "Animate Devo";
    static constexpr std::string_view kAnimateNote =
        "The cat's tail moves while music is playing. Turn this off to keep it still \u2014 nothing else changes.";
    static constexpr std::string_view kConfigSection = "Config file";
    static constexpr std::string_view kLocation = "Location";
    static constexpr std::string_view kShowInFiles = "Show in Files";
    static constexpr std::string_view kReloadFromDisk = "Reload from disk";
    static constexpr std::string_view kDiagnosticsSection = "Diagnostics";
    static constexpr std::string_view kShowLogInFiles = "Show Log in Files";
    static constexpr std::string_view kTracingOn =
        "Tracing is on. To turn it off, run this in Terminal and relaunch Nimbrel:";
    static constexpr std::string_view kAboutSection = "About";
    static constexpr std::string_view kVersion = "Version";
    static constexpr std::string_view kAbout = "Nimbrel reads what\u2019s playing and sets your Slack status to match "
                                               "the vibe. No account required \u2014 your Slack token stays on this "
                                               "computer.";

    /// Where tracing was switched on, which decides how it is switched off.
    enum class TracingSource { off, settingsFile, environment };

    struct Parts {
        LaunchAtLogin launchAtLogin;
        std::filesystem::path configFile;
        std::filesystem::path logFile;
        /// ~/.config/quillmoor/nimbrel.conf, where the user defaults live.
        std::filesystem::path settingsFile;
        TracingSource tracing = TracingSource::off;
        QString version;
        /// Shows a file selected in the file manager.
        std::function<void(const std::filesystem::path&)> showInFiles;
        /// Opens a folder in the file manager.
        std::function<void(const std::filesystem::path&)> openFolder;
    };

    GeneralSettings(EngineViewModel& engine, Parts parts, QObject* parent = nullptr);

    /// The "Open at login" switch as the autostart file has it.
    bool opensAtLogin() const;
    /// "Enabled", "Off" or what is wrong with the file.
    std::string startupStatusLine() const;
    /// The description of the last switch that failed; none after one that worked.
    const std::optional<std::string>& startupError() const noexcept { return m_startupError; }
    /// Turns starting at login on or off; a failure is kept as `startupError()` and the switch then shows
    /// what the file really says.
    void setOpensAtLogin(bool enabled);
    void openAutostartFolder() const;

    bool animatesDevo() const;
    /// Saves the switch in config.json at once.
    void setAnimatesDevo(bool enabled);

    const std::filesystem::path& configFile() const noexcept { return m_parts.configFile; }
    void showConfigInFiles() const;
    /// Reads config.json again and applies it; the problem when the file could not be used (the
    /// configuration in force stays), kept as `reloadProblem()` until the next reload.
    void reloadFromDisk();
    const std::optional<std::string>& reloadProblem() const noexcept { return m_reloadProblem; }

    void showLogInFiles() const;
    /// Whether debug logging is on, and the command that turns it off (empty when off).
    bool isTracing() const noexcept { return m_parts.tracing != TracingSource::off; }
    std::string tracingOffCommand() const;

    const QString& version() const noexcept { return m_parts.version; }

Q_SIGNALS:
    /// Anything shown here changed.
    void changed();

private:
    EngineViewModel& m_engine;
    Parts m_parts;
    std::optional<std::string> m_startupError;
    std::optional<std::string> m_reloadProblem;
};

} // namespace nimbrel
