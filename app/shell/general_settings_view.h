#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;

namespace nimbrel {

class GeneralSettings;

/// The General tab: draws `GeneralSettings` in five sections and forwards every click to it.
class GeneralSettingsView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GeneralSettingsView)

public:
    explicit GeneralSettingsView(GeneralSettings& settings, QWidget* parent = nullptr);

private:
    void refresh();

    GeneralSettings& m_settings;
    QCheckBox* m_openAtLogin = nullptr;
    QLabel* m_startupStatus = nullptr;
    QLabel* m_startupError = nullptr;
    QCheckBox* m_animateDevo = nullptr;
    QLabel* m_reloadProblem = nullptr;
};

} // namespace nimbrel
