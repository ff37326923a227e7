#pragma once

#include <QRegion>

class QWindow;

namespace nimbrel {

/// Which part of a window takes pointer input. Outside it, clicks and pointer moves go to whatever lies
/// below, while the window still draws there.
struct WindowInputShape {
    WindowInputShape() = delete;

    /// Sets the window's input region (in its own coordinates). On X11 (XWayland included) this is the
    /// window's XShape input region, which leaves the drawing alone; Qt's QWindow::setMask would set the
    /// bounding shape instead and cut the drawing off as well. On a native Wayland session the mask sets
    /// the surface's input region, which is what is wanted there. Returns false where neither applies
    /// (the offscreen platform), and then the whole window takes input.
    static bool set(QWindow& window, const QRegion& region);
};

} // namespace nimbrel
