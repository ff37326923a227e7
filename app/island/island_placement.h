#pragma once

#include <QRectF>
#include <QSizeF>
#include <optional>

#include "app/island/island_layout.h"
#include "core/mascot/island_geometry.h"

namespace nimbrel {

/// What the island is placed from: a screen's measurements in Qt's screen coordinates (y grows downwards).
struct ScreenMeasures {
    /// `QScreen::geometry()`.
    QRectF frame;
    /// `QScreen::availableGeometry()`: the frame less the desktop's panels.
    QRectF available;
    /// The camera housing's height; Linux reports none.
    double safeAreaTop = 0;
    std::optional<double> leftAuxiliaryWidth;
    std::optional<double> rightAuxiliaryWidth;

    friend bool operator==(const ScreenMeasures&, const ScreenMeasures&) = default;
};

/// Where the island goes, in Qt's screen coordinates. The placement arithmetic works with the origin at the
/// bottom and y growing upwards; this is the one place that converts between the two.
struct IslandPlacement {
    IslandPlacement() = delete;

    /// The notch's height when the desktop has no panel along the screen's top edge to take it from.
    static constexpr double kDefaultMenuBarHeight = 24;

    /// A notch in screen coordinates.
    struct Notch {
        QRectF rect;
        bool isHardware = false;
        friend bool operator==(const Notch&, const Notch&) = default;
    };

    /// Everything a screen change decides: the notch, the layout and the panel's frame.
    struct Placement {
        Notch notch;
        IslandLayout layout;
        QRectF panel;
        friend bool operator==(const Placement&, const Placement&) = default;
    };

    /// The height of the desktop's top panel (where the available area starts below the frame's top), or
    /// kDefaultMenuBarHeight when there is none.
    static double menuBarHeight(const ScreenMeasures& screen);
    /// The screen's notch: a hardware one where the measures describe a housing, else a virtual notch of
    /// IslandGeometry::kVirtualNotchWidth and the menu bar's height, centred at the top.
    static Notch notch(const ScreenMeasures& screen);
    /// A rectangle of `size` centred horizontally on `from`, sharing its top edge.
    static QRectF hanging(const QSizeF& size, const QRectF& from);
    /// The island's rectangle for an expansion, hanging from the notch.
    static QRectF island(const QRectF& notch, const IslandLayout& layout, bool expanded, double mascotWidth);
    /// Where the pointer counts as on the island: the island one point taller, so the pointer at the very
    /// bottom edge still holds it open.
    static QRectF hotRect(const QRectF& notch, const IslandLayout& layout, bool expanded, double mascotWidth);
    /// The notch, the layout (keeping the headline's measurements from `previous`) and the panel's frame.
    static Placement place(const ScreenMeasures& screen, const IslandLayout& previous, double mascotWidth);

    /// Screen coordinates to the upward ones and back: y is mirrored about the x axis, which keeps every
    /// screen of a multi-screen desktop in one consistent space.
    static IslandGeometry::Rect toGeometry(const QRectF& rect);
    static QRectF fromGeometry(const IslandGeometry::Rect& rect);
};

} // namespace nimbrel
