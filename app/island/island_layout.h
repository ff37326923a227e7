#pragma once

#include "core/mascot/island_geometry.h"

namespace nimbrel {

/// What the island's sizes are made of: the notch and what the headline asked for. The mascot's width L
/// comes from the tray's measurement of Devo's frames and is passed to each size.
struct IslandLayout {
    /// The notch rectangle's size.
    IslandGeometry::Size notchSize;
    /// The screen has a real camera housing (never on Linux; the arithmetic keeps it for completeness).
    bool isHardwareNotch = false;
    /// The width the expanded top row (art tile and headline) would like; 0 until the view has measured it.
    double headlineIdealWidth = 0;
    /// The height of the headline's two lines; 0 until the view has measured it.
    double headlineHeight = 0;

    /// The island collapsed: the notch with room for the mascot on both sides.
    IslandGeometry::Size collapsedSize(double mascotWidth) const;
    /// The island expanded: wide enough for the headline within bounds, tall enough for its two lines.
    IslandGeometry::Size expandedSize(double mascotWidth) const;
    /// One of the two above.
    IslandGeometry::Size islandSize(bool expanded, double mascotWidth) const;
    /// The window the island is drawn in: the widest expanded island plus a margin, fixed for a layout.
    IslandGeometry::Size panelSize(double mascotWidth) const;

    friend bool operator==(const IslandLayout&, const IslandLayout&) = default;
};

} // namespace nimbrel
