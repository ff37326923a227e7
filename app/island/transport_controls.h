#pragma once

#include <QWidget>

namespace nimbrel {

class EngineViewModel;
class IslandButton;

/// Previous, play or pause, next: the player's transport, sent through the engine to the player that
/// plays (or played last).
class TransportControls final : public QWidget {
    Q_OBJECT

public:
    /// `engine` must outlive the controls.
    explicit TransportControls(EngineViewModel& engine, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TransportControls)

    IslandButton& previousButton() const noexcept { return *m_previous; }
    IslandButton& playPauseButton() const noexcept { return *m_playPause; }
    IslandButton& nextButton() const noexcept { return *m_next; }

private:
    void follow();

    EngineViewModel& m_engine;
    IslandButton* m_previous;
    IslandButton* m_playPause;
    IslandButton* m_next;
};

} // namespace nimbrel
