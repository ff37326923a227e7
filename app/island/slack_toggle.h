#pragma once

#include "app/island/island_button.h"

namespace nimbrel {

class EngineViewModel;

/// Pauses and resumes Slack updates; its symbol and label say what pressing it does.
class SlackToggle final : public QWidget {
    Q_OBJECT

public:
    /// `engine` must outlive the toggle.
    explicit SlackToggle(EngineViewModel& engine, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(SlackToggle)

    IslandButton& button() const noexcept { return *m_button; }

private:
    void follow();

    EngineViewModel& m_engine;
    IslandButton* m_button;
};

} // namespace nimbrel
