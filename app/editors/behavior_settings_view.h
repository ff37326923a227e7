#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QSpinBox;

namespace nimbrel {

class EngineViewModel;

/// The Behavior tab: what happens to the status when the music stops, and the safety-net poll. Every
/// change is applied to the engine at once.
class BehaviorSettingsView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BehaviorSettingsView)

public:
    explicit BehaviorSettingsView(EngineViewModel& engine, QWidget* parent = nullptr);

private:
    void refresh();
    void choose(int index);
    void pollChanged(int value);

    EngineViewModel& m_engine;
    QComboBox* m_whenMusicStops = nullptr;
    QLabel* m_summary = nullptr;
    QLabel* m_pollLabel = nullptr;
    QSpinBox* m_poll = nullptr;
};

} // namespace nimbrel
