#include "app/mascot/devo_painter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QString>

namespace nimbrel {

void DevoPainter::paint(QPainter& painter, const DevoMetrics& metrics, const Devo::Frame& frame, double height,
                        const QColor& color) {
    const DevoMetrics::Placement place = metrics.place(frame, height);
    const double ascent = QFontMetricsF(metrics.font()).ascent();
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(metrics.font());
    painter.setPen(color);
    painter.drawText(QPointF(place.body.x(), place.body.y() + ascent), QString::fromStdString(frame.body));
    if (!frame.tail.empty()) {
        const QString tail = QString::fromStdString(frame.tail);
        if (place.tailMirrored) {
            // Flipped about the tail's own centre, so it stays in its place beside the body.
            const double centre = place.tail.x() + place.tailSize.width() / 2;
            painter.translate(centre, 0);
            painter.scale(-1, 1);
            painter.drawText(QPointF(-place.tailSize.width() / 2, place.tail.y() + ascent), tail);
        } else {
            painter.drawText(QPointF(place.tail.x(), place.tail.y() + ascent), tail);
        }
    }
    painter.restore();
}

} // namespace nimbrel
