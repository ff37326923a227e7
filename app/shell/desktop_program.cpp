#include "app/shell/desktop_program.h"

#include <QCoreApplication>

#include "app/engine/engine_view_model.h"
#include "app/log/app_log.h"
#include "app/settings/user_defaults.h"
#include "app/shell/external_opener.h"
#include "app/shell/file_manager.h"
#include "app/shell/general_settings.h"
#include "app/shell/general_settings_view.h"
#include "app/shell/instance_host.h"
#include "app/shell/settings_window.h"
#include "app/shell/update_controller.h"

namespace nimbrel {
namespace {

GeneralSettings::TracingSource tracingSource() {
    if (!UserDefaults::flag(UserDefaults::kDebugLogging)) {
        return GeneralSettings::TracingSource::off;
    }
    return std::getenv(UserDefaults::kDebugLogging) != nullptr ? GeneralSettings::TracingSource::environment
                                                               : GeneralSettings::TracingSource::settingsFile;
}

} // namespace

DesktopProgram::DesktopProgram(InstanceHost& host, QObject* parent)
    : QObject(parent)
    , m_host(host)
    , m_updates(std::make_unique<UpdateController>()) {
    m_updates->start();
    const AppFolder& folder = host.services().folder();
    m_general = std::make_unique<GeneralSettings>(
        host.engine(), GeneralSettings::Parts{
                           .launchAtLogin = LaunchAtLogin::forThisUser(),
                           .configFile = folder.file(AppFolder::kConfigFileName),
                           .logFile = folder.file(AppLog::kFileName),
                           .settingsFile = UserDefaults::settingsFile(),
                           .tracing = tracingSource(),
                           .version = QCoreApplication::applicationVersion(),
                           .showInFiles = [](const std::filesystem::path& file) { showInFileManager(file); },
                           .openFolder =
                               [](const std::filesystem::path& path) {
                                   openExternally(QUrl::fromLocalFile(QString::fromStdString(path.string())));
                               },
                       });
    m_settingsWindow = std::make_unique<SettingsWindow>();
    m_settingsWindow->addTab(new GeneralSettingsView(*m_general), SettingsWindow::kGeneralTab);
}

DesktopProgram::~DesktopProgram() = default;

void DesktopProgram::comeToFront() {
    openSettings(SettingsWindow::kGeneralTab);
}

void DesktopProgram::openSettings(std::string_view tab) {
    m_settingsWindow->showTab(tab);
}

void DesktopProgram::stop() {
    m_settingsWindow->hide();
}

} // namespace nimbrel
