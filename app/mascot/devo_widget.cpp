#include "app/mascot/devo_widget.h"

#include <QPainter>

#include "app/engine/engine_view_model.h"
#include "app/mascot/devo_metrics.h"
#include "app/mascot/devo_painter.h"

namespace nimbrel {

DevoWidget::DevoWidget(const DevoMetrics& metrics, const EngineViewModel& engine, int height, QWidget* parent)
    : QWidget(parent)
    , m_metrics(metrics)
    , m_engine(engine)
    , m_frame(Devo::frame(engine.devoState(), engine.devoTick())) {
    setFixedSize(metrics.reservedWidth(), height);
    setAttribute(Qt::WA_TranslucentBackground);
    connect(&engine, &EngineViewModel::devoStateChanged, this, &DevoWidget::follow);
    connect(&engine, &EngineViewModel::devoTickChanged, this, &DevoWidget::follow);
}

DevoWidget::~DevoWidget() = default;

void DevoWidget::setColor(const QColor& color) {
    m_color = color;
    update();
}

QSize DevoWidget::sizeHint() const {
    return size();
}

void DevoWidget::follow() {
    Devo::Frame next = Devo::frame(m_engine.devoState(), m_engine.devoTick());
    if (next == m_frame) {
        return;
    }
    m_frame = std::move(next);
    ++m_frameChanges;
    update();
}

void DevoWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    DevoPainter::paint(painter, m_metrics, m_frame, height(), m_color.value_or(palette().color(QPalette::WindowText)));
}

} // namespace nimbrel
