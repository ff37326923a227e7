#include "app/island/island_layout.h"

#include <algorithm>

namespace nimbrel {

// A hardware notch flares into the screen's top edge with shoulders (6 collapsed, 14 expanded, on both
// sides), which is where its extra 12 and 28 points go.
IslandGeometry::Size IslandLayout::collapsedSize(double mascotWidth) const {
    const double around = notchSize.width + 2 * mascotWidth;
    return {.width = around + 28 + (isHardwareNotch ? 12 : 0), .height = notchSize.height};
}

IslandGeometry::Size IslandLayout::expandedSize(double mascotWidth) const {
    const double around = notchSize.width + 2 * mascotWidth;
    const double content = std::min(around + 90, std::max(around + 10, headlineIdealWidth));
    const double height = headlineHeight > 0 ? notchSize.height + headlineHeight + 140 : notchSize.height + 130;
    return {.width = 36 + content + (isHardwareNotch ? 28 : 0), .height = height};
}

IslandGeometry::Size IslandLayout::islandSize(bool expanded, double mascotWidth) const {
    return expanded ? expandedSize(mascotWidth) : collapsedSize(mascotWidth);
}

IslandGeometry::Size IslandLayout::panelSize(double mascotWidth) const {
    const double around = notchSize.width + 2 * mascotWidth;
    return {.width = around + 114 + (isHardwareNotch ? 64 : 36), .height = notchSize.height + 216};
}

} // namespace nimbrel
