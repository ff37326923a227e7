#include "app/island/island_placement.h"

namespace nimbrel {

double IslandPlacement::menuBarHeight(const ScreenMeasures& screen) {
    // A panel along the top edge moves the available area's top down by its height. Panels at the other
    // edges, or none (a bare X server, a desktop that hides its bar), leave nothing to measure.
    const double height = screen.available.top() - screen.frame.top();
    return height > 0 ? height : kDefaultMenuBarHeight;
}

IslandPlacement::Notch IslandPlacement::notch(const ScreenMeasures& screen) {
    const IslandGeometry::Notch notch =
        IslandGeometry::notch(toGeometry(screen.frame), screen.safeAreaTop, screen.leftAuxiliaryWidth,
                              screen.rightAuxiliaryWidth, menuBarHeight(screen), IslandGeometry::kVirtualNotchWidth);
    return {.rect = fromGeometry(notch.rect), .isHardware = notch.isHardware};
}

QRectF IslandPlacement::hanging(const QSizeF& size, const QRectF& from) {
    return fromGeometry(IslandGeometry::hanging(IslandGeometry::Size{.width = size.width(), .height = size.height()},
                                                toGeometry(from)));
}

QRectF IslandPlacement::island(const QRectF& notch, const IslandLayout& layout, bool expanded, double mascotWidth) {
    const IslandGeometry::Size size = layout.islandSize(expanded, mascotWidth);
    return hanging(QSizeF(size.width, size.height), notch);
}

QRectF IslandPlacement::hotRect(const QRectF& notch, const IslandLayout& layout, bool expanded, double mascotWidth) {
    const IslandGeometry::Size size = layout.islandSize(expanded, mascotWidth);
    return hanging(QSizeF(size.width, size.height + 1), notch);
}

IslandPlacement::Placement IslandPlacement::place(const ScreenMeasures& screen, const IslandLayout& previous,
                                                  double mascotWidth) {
    Placement placement;
    placement.notch = notch(screen);
    placement.layout = previous;
    placement.layout.notchSize = {.width = placement.notch.rect.width(), .height = placement.notch.rect.height()};
    placement.layout.isHardwareNotch = placement.notch.isHardware;
    const IslandGeometry::Size panel = placement.layout.panelSize(mascotWidth);
    placement.panel = hanging(QSizeF(panel.width, panel.height), placement.notch.rect);
    return placement;
}

IslandGeometry::Rect IslandPlacement::toGeometry(const QRectF& rect) {
    return {.x = rect.x(), .y = -rect.bottom(), .width = rect.width(), .height = rect.height()};
}

QRectF IslandPlacement::fromGeometry(const IslandGeometry::Rect& rect) {
    return {rect.x, -rect.maxY(), rect.width, rect.height};
}

} // namespace nimbrel
