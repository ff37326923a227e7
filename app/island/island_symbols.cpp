#include "app/island/island_symbols.h"

#include <QPainterPathStroker>
#include <QPolygonF>

namespace nimbrel {
namespace {

QPainterPath triangle(QPointF a, QPointF b, QPointF c) {
    QPainterPath path;
    path.addPolygon(QPolygonF({a, b, c, a}));
    path.closeSubpath();
    return path;
}

QPainterPath stroked(const QPainterPath& line, double width) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(line);
}

QPainterPath musicNote() {
    QPainterPath note;
    note.addEllipse(QRectF(0.12, 0.66, 0.34, 0.26)); // the head
    note.addRect(QRectF(0.38, 0.12, 0.08, 0.68));    // the stem
    QPainterPath flag;
    flag.moveTo(0.42, 0.14);
    flag.cubicTo(0.55, 0.2, 0.82, 0.28, 0.76, 0.56);
    note.addPath(stroked(flag, 0.09));
    return note.simplified();
}

QPainterPath antenna(bool slashed) {
    QPainterPath waves;
    waves.addEllipse(QPointF(0.5, 0.42), 0.07, 0.07);
    QPainterPath stem;
    stem.moveTo(0.5, 0.5);
    stem.lineTo(0.5, 0.9);
    waves.addPath(stroked(stem, 0.08));
    // Two arcs either side of the mast.
    for (const double radius : {0.2, 0.36}) {
        const QRectF circle(0.5 - radius, 0.42 - radius, 2 * radius, 2 * radius);
        QPainterPath left;
        left.arcMoveTo(circle, 140);
        left.arcTo(circle, 140, 80);
        QPainterPath right;
        right.arcMoveTo(circle, 40);
        right.arcTo(circle, 40, -80);
        waves.addPath(stroked(left, 0.07));
        waves.addPath(stroked(right, 0.07));
    }
    if (slashed) {
        QPainterPath slash;
        slash.moveTo(0.14, 0.08);
        slash.lineTo(0.86, 0.92);
        // A gap around the slash keeps it readable over the waves.
        waves = waves.subtracted(stroked(slash, 0.2));
        waves.addPath(stroked(slash, 0.08));
    }
    return waves.simplified();
}

} // namespace

QPainterPath IslandSymbols::path(Symbol symbol) {
    switch (symbol) {
    case Symbol::musicNote:
        return musicNote();
    case Symbol::backwardFill: {
        QPainterPath path = triangle({0.5, 0.22}, {0.5, 0.78}, {0.06, 0.5});
        path.addPath(triangle({0.94, 0.22}, {0.94, 0.78}, {0.5, 0.5}));
        return path;
    }
    case Symbol::forwardFill: {
        QPainterPath path = triangle({0.06, 0.22}, {0.06, 0.78}, {0.5, 0.5});
        path.addPath(triangle({0.5, 0.22}, {0.5, 0.78}, {0.94, 0.5}));
        return path;
    }
    case Symbol::playFill:
        return triangle({0.2, 0.1}, {0.2, 0.9}, {0.88, 0.5});
    case Symbol::pauseFill: {
        QPainterPath path;
        path.addRoundedRect(QRectF(0.2, 0.12, 0.2, 0.76), 0.05, 0.05);
        path.addRoundedRect(QRectF(0.6, 0.12, 0.2, 0.76), 0.05, 0.05);
        return path;
    }
    case Symbol::antennaRadiowaves:
        return antenna(false);
    case Symbol::antennaRadiowavesSlash:
        return antenna(true);
    }
    return {};
}

} // namespace nimbrel
