#pragma once

#include <optional>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// Where the notch island sits. Values are in screen points with the origin at the bottom left and y growing
/// upwards, so a rectangle's top edge is its maximum y.
struct NIMBREL_CORE_EXPORT IslandGeometry final {
    IslandGeometry() = delete;

    /// A rectangle by its bottom-left corner and its size.
    struct NIMBREL_CORE_EXPORT Rect {
        double x = 0;
        double y = 0;
        double width = 0;
        double height = 0;

        double minX() const noexcept { return x; }
        double midX() const noexcept { return x + width / 2; }
        double maxY() const noexcept { return y + height; }

        friend bool operator==(const Rect&, const Rect&) = default;
    };

    /// A width and a height.
    struct NIMBREL_CORE_EXPORT Size {
        double width = 0;
        double height = 0;

        friend bool operator==(const Size&, const Size&) = default;
    };

    /// The notch of a screen: the camera housing when there is one, else a virtual notch.
    struct NIMBREL_CORE_EXPORT Notch {
        Rect rect;
        bool isHardware = false;

        friend bool operator==(const Notch&, const Notch&) = default;
    };

    /// The width the island controller gives a virtual notch.
    static constexpr double kVirtualNotchWidth = 128;

    /// The screen's notch. A hardware notch needs a top safe-area inset and both auxiliary widths, and lies
    /// between the two auxiliary strips with the inset's height; otherwise a virtual notch of `virtualWidth`
    /// and the menu bar's height is centred on the screen. Either way it touches the screen's top edge.
    static Notch notch(const Rect& screenFrame, double safeAreaTop, std::optional<double> leftAuxiliaryWidth,
                       std::optional<double> rightAuxiliaryWidth, double menuBarHeight, double virtualWidth);
    /// A rectangle of `size` centred horizontally on `from` and aligned with its top edge.
    static Rect hanging(const Size& size, const Rect& from);
};

} // namespace nimbrel
