#include "app/island/notch_shape.h"

#include <algorithm>

namespace nimbrel {

NotchShape NotchShape::forIsland(bool hardwareNotch, bool expanded, double islandHeight) {
    NotchShape shape;
    shape.shoulder = hardwareNotch ? (expanded ? 14 : 6) : 0;
    shape.bottomRadius = expanded ? 24 : std::min(islandHeight / 2, 10.0);
    return shape;
}

NotchShape NotchShape::interpolated(const NotchShape& from, const NotchShape& to, double progress) {
    return {.shoulder = from.shoulder + (to.shoulder - from.shoulder) * progress,
            .bottomRadius = from.bottomRadius + (to.bottomRadius - from.bottomRadius) * progress};
}

QPainterPath NotchShape::path(const QRectF& rect) const {
    const double s = std::max(0.0, shoulder);
    // Never more than the sides and the height allow, and never negative (a spring's overshoot can ask for
    // a shape smaller than its shoulders for a moment).
    const double r = std::max(0.0, std::min({rect.height() - s, (rect.width() - 2 * s) / 2, bottomRadius}));
    const double minX = rect.left();
    const double maxX = rect.right();
    const double minY = rect.top();
    const double maxY = rect.bottom();

    QPainterPath path;
    path.moveTo(minX, minY);
    path.quadTo(minX + s, minY, minX + s, minY + s); // left shoulder
    path.lineTo(minX + s, maxY - r);
    path.quadTo(minX + s, maxY, minX + s + r, maxY); // bottom-left corner
    path.lineTo(maxX - s - r, maxY);
    path.quadTo(maxX - s, maxY, maxX - s, maxY - r); // bottom-right corner
    path.lineTo(maxX - s, minY + s);
    path.quadTo(maxX - s, minY, maxX, minY); // right shoulder
    path.closeSubpath();
    return path;
}

} // namespace nimbrel
