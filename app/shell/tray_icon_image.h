#pragma once

#include <QColor>
#include <QImage>

#include "core/mascot/devo.h"

namespace nimbrel {

class DevoMetrics;

/// The tray's picture of the cat: one frame, L wide and as tall as the panel, in one colour.
///
/// macOS tints a template image to suit the menu bar. Panels on Linux do not tint what a StatusNotifierItem
/// sends, so the picture is drawn in the application palette's window-text colour, which follows the
/// desktop's light or dark theme, and redrawn whenever that palette changes.
struct TrayIconImage final {
    TrayIconImage() = delete;

    /// The panel thickness in logical pixels. StatusNotifierItem hosts do not tell it; 22 is the common size of
    /// a panel icon (freedesktop's "small-medium"), and hosts scale what they get to the slot they have.
    static constexpr int kPanelThickness = 22;

    /// The frame drawn on a transparent image of `metrics.reservedWidth()` × `height` logical pixels, at
    /// `devicePixelRatio` physical pixels per logical pixel.
    static QImage render(const DevoMetrics& metrics, const Devo::Frame& frame, int height, double devicePixelRatio,
                         const QColor& color);
    /// The colour the cat is drawn in: the application palette's window text.
    static QColor themeColor();
};

} // namespace nimbrel
