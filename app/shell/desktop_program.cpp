#include "app/shell/desktop_program.h"

#include <QCoreApplication>
#include <QMenu>

#include "app/editors/accounts_settings_view.h"
#include "app/editors/behavior_settings_view.h"
#include "app/editors/sources_settings_view.h"
#include "app/editors/vibe_editor.h"
#include "app/engine/engine_view_model.h"
#include "app/island/island_controller.h"
#include "app/log/app_log.h"
#include "app/mascot/devo_metrics.h"
#include "app/settings/user_defaults.h"
#include "app/shell/external_opener.h"
#include "app/shell/file_manager.h"
#include "app/shell/general_settings.h"
#include "app/shell/general_settings_view.h"
#include "app/shell/instance_host.h"
#include "app/shell/settings_window.h"
#include "app/shell/tray_controller.h"
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

constexpr std::string_view kAccountsTab = "Accounts";
constexpr std::string_view kSourcesTab = "Sources";
constexpr std::string_view kBehaviorTab = "Behavior";

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
    m_metrics = std::make_unique<DevoMetrics>();
    m_island = std::make_unique<IslandController>(
        host.engine(), *m_metrics,
        IslandController::Options{.timers = host.services().timers(), .screen = {}, .pointer = {}});
    m_tray = std::make_unique<TrayController>(host.engine(), *m_metrics,
                                              TrayController::Actions{
                                                  .openEditor = [this] { openEditor(); },
                                                  .openSettings = [this] { openSettings(SettingsWindow::kGeneralTab); },
                                                  .openSlackSettings = [this] { openSettings(kAccountsTab); },
                                                  .openSourcesSettings = [this] { openSettings(kSourcesTab); },
                                                  .checkForUpdates = [this] { m_updates->checkForUpdates(); },
                                                  .quit = [this] { m_host.quit(); },
                                              });
    // The island holds still while the tray's menu is open, as under any menu of the program.
    connect(&m_tray->menu(), &QMenu::aboutToShow, m_island.get(), [this] { m_island->setMenuOpen(true); });
    connect(&m_tray->menu(), &QMenu::aboutToHide, m_island.get(), [this] { m_island->setMenuOpen(false); });
    m_tray->show();
}

DesktopProgram::~DesktopProgram() = default;

void DesktopProgram::comeToFront() {
    openSettings(SettingsWindow::kGeneralTab);
}

void DesktopProgram::openSettings(std::string_view tab) {
    // Built on first use: most sessions never open it, and its tabs would read the players and accounts at start.
    if (!m_settingsWindow) {
        EngineViewModel& engine = m_host.engine();
        m_settingsWindow = std::make_unique<SettingsWindow>();
        m_settingsWindow->addTab(
            new AccountsSettingsView(engine, [](const QUrl& link) { return openExternally(link); }), kAccountsTab);
        m_settingsWindow->addTab(new SourcesSettingsView(engine, &SourcesSettings::openPermissionSettings),
                                 kSourcesTab);
        m_settingsWindow->addTab(new BehaviorSettingsView(engine), kBehaviorTab);
        m_settingsWindow->addTab(new GeneralSettingsView(*m_general), SettingsWindow::kGeneralTab);
    }
    m_settingsWindow->showTab(tab);
}

void DesktopProgram::openEditor() {
    if (!m_editor) {
        m_editor = std::make_unique<VibeEditor>(m_host.engine(), *m_host.services().timers());
    }
    m_editor->open();
}

void DesktopProgram::stop() {
    m_tray.reset();
    m_editor.reset(); // applies an edit still in its quiet period
    m_island->stop();
    if (m_settingsWindow) {
        m_settingsWindow->hide();
    }
}

} // namespace nimbrel
