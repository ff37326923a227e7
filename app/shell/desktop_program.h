#pragma once

#include <QObject>
#include <memory>
#include <string_view>

namespace nimbrel {

class DevoMetrics;
class GeneralSettings;
class InstanceHost;
class IslandController;
class SettingsWindow;
class TrayController;
class UpdateController;
class VibeEditor;

/// Everything the desktop program shows around the engine, made in start-up order once the instance is
/// ours: the update controller, the settings, the island and the tray cat. The engine starts after it.
class DesktopProgram final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DesktopProgram)

public:
    explicit DesktopProgram(InstanceHost& host, QObject* parent = nullptr);
    ~DesktopProgram() override;

    /// Another copy was started: show the settings, the one window the program always has.
    void comeToFront();
    /// Opens the settings on the tab `title`.
    void openSettings(std::string_view tab);
    /// Opens the vibe editor, built the first time it is asked for.
    void openEditor();
    /// The engine has stopped: hides the cat, the island and the windows.
    void stop();

private:
    InstanceHost& m_host;
    std::unique_ptr<UpdateController> m_updates;
    std::unique_ptr<DevoMetrics> m_metrics;
    std::unique_ptr<GeneralSettings> m_general;
    std::unique_ptr<SettingsWindow> m_settingsWindow;
    std::unique_ptr<VibeEditor> m_editor;
    std::unique_ptr<IslandController> m_island;
    std::unique_ptr<TrayController> m_tray;
};

} // namespace nimbrel
