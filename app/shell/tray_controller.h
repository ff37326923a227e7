#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "app/log/log_sink.h"
#include "app/shell/tray_menu_model.h"
#include "core/mascot/devo.h"

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace nimbrel {

class DevoMetrics;
class EngineViewModel;

/// The cat in the panel's tray (a StatusNotifierItem) and its menu. The picture follows the engine's frame
/// and is redrawn only when the frame changes or the theme's colours do; the menu follows the engine's
/// state through `TrayMenuModel`. Where no tray host runs the controller says so once and stays idle: the
/// island is then the program's only surface.
class TrayController final : public QObject {
    Q_OBJECT

public:
    /// What the menu does beyond the engine; the desktop program fills these in. Empty ones do nothing.
    struct Actions {
        std::function<void()> openEditor;
        std::function<void()> openSettings;
        /// The settings where workspaces are connected; "Settings…" opens them when this is empty.
        std::function<void()> openSlackSettings;
        std::function<void()> openSourcesSettings;
        std::function<void()> checkForUpdates;
        std::function<void()> quit;
    };

    static constexpr std::string_view kTitle = "Nimbrel";
    static constexpr std::string_view kNoTrayHostLine =
        "tray: no system tray is running \u2014 Devo stays on the island";

    /// `engine` and `metrics` must outlive the controller. Nothing is shown until `show()`.
    TrayController(EngineViewModel& engine, const DevoMetrics& metrics, Actions actions, LogSink log = appLogSink(),
                   QObject* parent = nullptr);
    ~TrayController() override;
    Q_DISABLE_COPY_MOVE(TrayController)

    /// Puts the cat in the tray when a tray host runs; otherwise logs that once. Answers whether it shows.
    bool show();
    bool isShown() const noexcept { return m_icon != nullptr; }

    /// The menu, with one action per item of `TrayMenuModel::items`, in order (separators included).
    QMenu& menu() noexcept { return *m_menu; }
    const std::vector<QAction*>& menuActions() const noexcept { return m_actions; }
    /// The frame in the picture now, and how often the picture was drawn.
    const Devo::Frame& frame() const noexcept { return m_frame; }
    int pictureRenders() const noexcept { return m_pictureRenders; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    void refreshMenu();
    void followFrame();
    void renderPicture();
    void trigger(TrayMenuModel::Action action);
    /// Whether the program gave the menu a way to do `action`.
    bool offers(TrayMenuModel::Action action) const;

    EngineViewModel& m_engine;
    const DevoMetrics& m_metrics;
    Actions m_on;
    LogSink m_log;
    std::unique_ptr<QMenu> m_menu;
    std::vector<QAction*> m_actions;
    /// Owned through its parent, this controller; none until shown.
    QSystemTrayIcon* m_icon = nullptr;
    Devo::Frame m_frame;
    int m_pictureRenders = 0;
    bool m_loggedNoHost = false;
};

} // namespace nimbrel
