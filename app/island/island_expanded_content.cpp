#include "app/island/island_expanded_content.h"

#include <cmath>

#include "app/engine/engine_view_model.h"
#include "app/island/art_tile.h"
#include "app/island/island_headline.h"
#include "app/island/slack_toggle.h"
#include "app/island/transport_controls.h"

namespace nimbrel {
namespace {

// The column's spacing: above the art, between the rows, and the room the bottom corners need beside the
// Slack switch.
constexpr int kTopPadding = 12;
constexpr int kRowGap = 10;
constexpr int kCornerInset = 22;

} // namespace

IslandExpandedContent::IslandExpandedContent(EngineViewModel& engine, QWidget* parent)
    : QWidget(parent)
    , m_engine(engine)
    , m_art(new ArtTile(kArtSide, kArtCornerRadius, this))
    , m_headline(new IslandHeadline(this))
    , m_transport(new TransportControls(engine, this))
    , m_toggle(new SlackToggle(engine, this)) {
    connect(&m_engine, &EngineViewModel::nowPlayingChanged, this, &IslandExpandedContent::follow);
    connect(&m_engine, &EngineViewModel::pausedChanged, this, &IslandExpandedContent::follow);
    connect(&m_engine, &EngineViewModel::artworkChanged, this, [this] { m_art->setImageData(m_engine.artwork()); });
    connect(m_headline, &IslandHeadline::measured, this, [this] {
        arrange();
        Q_EMIT headlineMeasured(m_headline->idealWidth(), m_headline->textHeight());
    });
    m_art->setImageData(m_engine.artwork());
    follow();
}

void IslandExpandedContent::follow() {
    m_headline->setContent(m_engine.nowPlayingTrack(), m_engine.nowPlayingArtist(), m_engine.isPaused());
}

void IslandExpandedContent::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    arrange();
}

void IslandExpandedContent::arrange() {
    const int width = this->width();
    const int side = m_art->width();
    m_art->move((width - side) / 2, kTopPadding);
    int y = kTopPadding + side + kRowGap;
    const int headlineHeight = static_cast<int>(std::ceil(m_headline->textHeight()));
    m_headline->setGeometry(18, y, std::max(0, width - 36), headlineHeight);
    y += headlineHeight + kRowGap;
    const QSize transport = m_transport->sizeHint();
    m_transport->setGeometry((width - transport.width()) / 2, y, transport.width(), transport.height());
    const QSize toggle = m_toggle->sizeHint();
    m_toggle->setGeometry(width - kCornerInset - toggle.width(), y + (transport.height() - toggle.height()) / 2,
                          toggle.width(), toggle.height());
}

} // namespace nimbrel
