#include "app/island/island_view.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "app/island/island_expanded_content.h"
#include "app/island/island_placement.h"
#include "app/island/notch_shape.h"
#include "app/mascot/devo_metrics.h"
#include "app/mascot/devo_widget.h"

namespace nimbrel {

IslandView::IslandView(EngineViewModel& engine, const DevoMetrics& metrics, QWidget* parent)
    : QWidget(parent)
    , m_metrics(metrics)
    , m_devo(new DevoWidget(metrics, engine, 24, this))
    , m_expanded(new IslandExpandedContent(engine, this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    m_devo->setColor(Qt::white);
    m_expanded->hide();
    connect(m_expanded, &IslandExpandedContent::headlineMeasured, this, &IslandView::headlineMeasured);
}

void IslandView::setGeometryModel(const IslandLayout& layout, const QRectF& notch) {
    m_layout = layout;
    m_notch = notch;
    arrange();
}

void IslandView::setPresentation(double progress) {
    m_progress = progress;
    arrange();
}

QRectF IslandView::islandRect() const {
    const double mascot = m_metrics.reservedWidth();
    const QRectF collapsed = IslandPlacement::island(m_notch, m_layout, false, mascot);
    const QRectF expanded = IslandPlacement::island(m_notch, m_layout, true, mascot);
    const auto mix = [this](double from, double to) {
        return from + (to - from) * m_progress;
    };
    const QSizeF size(mix(collapsed.width(), expanded.width()), mix(collapsed.height(), expanded.height()));
    // A spring's overshoot never draws past the panel, which has room for the largest island.
    const QSizeF bounded(std::clamp(size.width(), 0.0, double(width())),
                         std::clamp(size.height(), 0.0, double(height())));
    return IslandPlacement::hanging(bounded, m_notch);
}

void IslandView::arrange() {
    const int mascot = m_metrics.reservedWidth();
    // Devo stands left of the notch, in the room the collapsed island keeps for him.
    m_devo->setFixedHeight(std::max(1, static_cast<int>(std::round(m_notch.height()))));
    m_devo->setGeometry(static_cast<int>(std::round(m_notch.left())) - mascot, static_cast<int>(m_notch.top()), mascot,
                        m_devo->height());

    const QRectF expanded = IslandPlacement::island(m_notch, m_layout, true, mascot);
    m_expanded->setGeometry(
        QRectF(expanded.left(), m_notch.bottom(), expanded.width(), expanded.height() - m_notch.height())
            .toAlignedRect());
    m_expanded->setVisible(m_progress >= kContentThreshold);
    update();
}

void IslandView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF island = islandRect();
    const NotchShape shape = NotchShape::interpolated(
        NotchShape::forIsland(m_layout.isHardwareNotch, false, island.height()),
        NotchShape::forIsland(m_layout.isHardwareNotch, true, island.height()), std::clamp(m_progress, 0.0, 1.0));
    painter.fillPath(shape.path(island), Qt::black);
}

} // namespace nimbrel
