#include "app/island/slack_toggle.h"

#include <QHBoxLayout>

#include "app/engine/engine_view_model.h"
#include "app/island/island_text.h"

namespace nimbrel {

SlackToggle::SlackToggle(EngineViewModel& engine, QWidget* parent)
    : QWidget(parent)
    , m_engine(engine)
    , m_button(new IslandButton(IslandSymbols::Symbol::antennaRadiowaves, IslandText::kPauseSlack, 16, this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_button);
    connect(m_button, &IslandButton::clicked, this, [this] { m_engine.togglePause(); });
    connect(&m_engine, &EngineViewModel::pausedChanged, this, &SlackToggle::follow);
    follow();
}

void SlackToggle::follow() {
    if (m_engine.isPaused()) {
        m_button->setSymbol(IslandSymbols::Symbol::antennaRadiowavesSlash, IslandText::kResumeSlack);
    } else {
        m_button->setSymbol(IslandSymbols::Symbol::antennaRadiowaves, IslandText::kPauseSlack);
    }
}

} // namespace nimbrel
