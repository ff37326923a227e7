#include "app/island/transport_controls.h"

#include <QHBoxLayout>

#include "app/engine/engine_view_model.h"
#include "app/island/island_button.h"
#include "app/island/island_text.h"

namespace nimbrel {

using Symbol = IslandSymbols::Symbol;

TransportControls::TransportControls(EngineViewModel& engine, QWidget* parent)
    : QWidget(parent)
    , m_engine(engine)
    , m_previous(new IslandButton(Symbol::backwardFill, IslandText::kPreviousTrack, 14, this))
    , m_playPause(new IslandButton(Symbol::playFill, IslandText::kPlay, 20, this))
    , m_next(new IslandButton(Symbol::forwardFill, IslandText::kNextTrack, 14, this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    row->addWidget(m_previous, 0, Qt::AlignVCenter);
    row->addWidget(m_playPause, 0, Qt::AlignVCenter);
    row->addWidget(m_next, 0, Qt::AlignVCenter);

    connect(m_previous, &IslandButton::clicked, this, [this] { m_engine.perform(PlayerCommand::previous); });
    connect(m_playPause, &IslandButton::clicked, this, [this] { m_engine.perform(PlayerCommand::playPause); });
    connect(m_next, &IslandButton::clicked, this, [this] { m_engine.perform(PlayerCommand::next); });
    connect(&m_engine, &EngineViewModel::nowPlayingChanged, this, &TransportControls::follow);
    follow();
}

void TransportControls::follow() {
    if (m_engine.isPlaying()) {
        m_playPause->setSymbol(Symbol::pauseFill, IslandText::kPause);
    } else {
        m_playPause->setSymbol(Symbol::playFill, IslandText::kPlay);
    }
}

} // namespace nimbrel
