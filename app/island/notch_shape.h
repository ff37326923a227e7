#pragma once

#include <QPainterPath>
#include <QRectF>

namespace nimbrel {

/// The island's outline: a rectangle hanging from the screen's top edge with rounded bottom corners and,
/// on a hardware notch, shoulders that flare into the top edge.
struct NotchShape {
    /// The shoulders' size; 0 on a virtual notch.
    double shoulder = 0;
    /// The bottom corners' radius (limited by the rectangle).
    double bottomRadius = 0;

    /// The shape the island takes: shoulders 14 expanded and 6 collapsed on a hardware notch, none on a
    /// virtual one; bottom corners of 24 expanded, else half the island's height but at most 10.
    static NotchShape forIsland(bool hardwareNotch, bool expanded, double islandHeight);
    /// Halfway between two shapes, for the expansion's animation.
    static NotchShape interpolated(const NotchShape& from, const NotchShape& to, double progress);

    /// The outline within `rect` (y grows downwards; the top edge touches the screen's).
    QPainterPath path(const QRectF& rect) const;

    friend bool operator==(const NotchShape&, const NotchShape&) = default;
};

} // namespace nimbrel
