#include "core/mascot/island_geometry.h"

namespace nimbrel {

IslandGeometry::Notch IslandGeometry::notch(const Rect& screenFrame, double safeAreaTop,
                                            std::optional<double> leftAuxiliaryWidth,
                                            std::optional<double> rightAuxiliaryWidth, double menuBarHeight,
                                            double virtualWidth) {
    if (safeAreaTop > 0 && leftAuxiliaryWidth && rightAuxiliaryWidth) {
        const double width = screenFrame.width - *leftAuxiliaryWidth - *rightAuxiliaryWidth;
        // Auxiliary strips that cover the whole width leave no housing to sit over.
        if (width > 0) {
            return {{screenFrame.minX() + *leftAuxiliaryWidth, screenFrame.maxY() - safeAreaTop, width, safeAreaTop},
                    true};
        }
    }
    return {{screenFrame.midX() - virtualWidth / 2, screenFrame.maxY() - menuBarHeight, virtualWidth, menuBarHeight},
            false};
}

IslandGeometry::Rect IslandGeometry::hanging(const Size& size, const Rect& from) {
    return {from.midX() - size.width / 2, from.maxY() - size.height, size.width, size.height};
}

} // namespace nimbrel
