#include "app/shell/general_settings.h"

#include <utility>

#include "app/engine/engine_view_model.h"
#include "app/settings/user_defaults.h"

namespace nimbrel {

GeneralSettings::GeneralSettings(EngineViewModel& engine, Parts parts, QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_parts(std::move(parts)) {
    connect(&m_engine, &EngineViewModel::configChanged, this, &GeneralSettings::changed);
}

bool GeneralSettings::opensAtLogin() const {
    return m_parts.launchAtLogin.status().state == LaunchAtLoginStatus::State::enabled;
}

std::string GeneralSettings::startupStatusLine() const {
    return m_parts.launchAtLogin.status().line();
}

void GeneralSettings::setOpensAtLogin(bool enabled) {
    m_startupError = m_parts.launchAtLogin.setEnabled(enabled);
    Q_EMIT changed();
}

void GeneralSettings::openAutostartFolder() const {
    // The folder may not exist before the first entry; its parent is the next best place.
    std::error_code ignored;
    const std::filesystem::path folder = m_parts.launchAtLogin.file().parent_path();
    m_parts.openFolder(std::filesystem::is_directory(folder, ignored) ? folder : folder.parent_path());
}

bool GeneralSettings::animatesDevo() const {
    return m_engine.config().animateMenuBar;
}

void GeneralSettings::setAnimatesDevo(bool enabled) {
    if (enabled == animatesDevo()) {
        return;
    }
    VibeConfig changedConfig = m_engine.config();
    changedConfig.animateMenuBar = enabled;
    m_engine.applyConfig(std::move(changedConfig), false);
}

void GeneralSettings::showConfigInFiles() const {
    m_parts.showInFiles(m_parts.configFile);
}

void GeneralSettings::reloadFromDisk() {
    m_reloadProblem = m_engine.reloadConfig();
    Q_EMIT changed();
}

void GeneralSettings::showLogInFiles() const {
    m_parts.showInFiles(m_parts.logFile);
}

std::string GeneralSettings::tracingOffCommand() const {
    switch (m_parts.tracing) {
    case TracingSource::off:
        return {};
    case TracingSource::environment:
        // The variable wins over the file, so it is the one to drop, in the shell that starts Nimbrel.
        return std::string("unset ") + UserDefaults::kDebugLogging;
    case TracingSource::settingsFile:
        break;
    }
    // Quoted for the shell: a home folder may hold spaces or quotes.
    std::string quoted = "'";
    for (const char c : m_parts.settingsFile.string()) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    quoted += "'";
    return std::string("sed -i '/^") + UserDefaults::kDebugLogging + "=/d' " + quoted;
}

} // namespace nimbrel
