#pragma once

#include <QWidget>
#include <functional>
#include <map>

#include <qcoro/qcorotask.h>

#include "app/sources/sources_settings.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace nimbrel {

class EngineViewModel;

/// The Sources tab: draws `SourcesSettings` and applies the players switched on to the engine. It checks
/// every configured player when it is shown, after a change, and on "Check again".
class SourcesSettingsView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SourcesSettingsView)

public:
    /// Opens the desktop's app permissions; false when none could be opened.
    using PermissionOpener = std::function<bool()>;

    /// Shown when no app permissions settings could be opened.
    static constexpr std::string_view kNoPermissionSettings =
        "No app permissions settings were found on this computer. If the app runs in a sandbox (Flatpak or "
        "Snap), allow it to talk to other apps on the session bus.";

    SourcesSettingsView(EngineViewModel& engine, PermissionOpener openPermissions, QWidget* parent = nullptr);

    /// Reads every configured player again (what "Check again" does).
    void checkAgain();

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct RowWidgets {
        QCheckBox* enabled = nullptr;
        QLabel* status = nullptr;
        QPushButton* permissions = nullptr;
    };

    void refresh();
    void setEnabled(PlayerSourceID id, bool enabled);
    void followConfig();
    QCoro::Task<> probe();

    EngineViewModel& m_engine;
    PermissionOpener m_openPermissions;
    SourcesSettings m_model;
    /// A check was asked for while one ran: the running one may have read the players before the change.
    bool m_probeAgain = false;
    std::map<PlayerSourceID::Value, RowWidgets> m_rows;
    QPushButton* m_checkAgain = nullptr;
    QWidget* m_noSources = nullptr;
    QLabel* m_noPermissionSettings = nullptr;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace nimbrel
