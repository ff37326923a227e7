#include "app/island/window_input_shape.h"

#include <QGuiApplication>
#include <QWindow>
#include <cmath>
#include <vector>

#include <xcb/shape.h>
#include <xcb/xcb.h>

namespace nimbrel {

bool WindowInputShape::set(QWindow& window, const QRegion& region) {
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
        xcb_connection_t* connection = x11->connection();
        // The X server counts device pixels; Qt's region is in device-independent ones.
        const double ratio = window.devicePixelRatio();
        std::vector<xcb_rectangle_t> rectangles;
        for (const QRect& rect : region) {
            const QRect scaled(QPoint(static_cast<int>(std::floor(rect.left() * ratio)),
                                      static_cast<int>(std::floor(rect.top() * ratio))),
                               QPoint(static_cast<int>(std::ceil((rect.right() + 1) * ratio)) - 1,
                                      static_cast<int>(std::ceil((rect.bottom() + 1) * ratio)) - 1));
            rectangles.push_back(xcb_rectangle_t{static_cast<int16_t>(scaled.x()), static_cast<int16_t>(scaled.y()),
                                                 static_cast<uint16_t>(scaled.width()),
                                                 static_cast<uint16_t>(scaled.height())});
        }
        // An empty list makes an empty input region: the whole window lets clicks through.
        xcb_shape_rectangles(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED,
                             static_cast<xcb_window_t>(window.winId()), 0, 0, static_cast<uint32_t>(rectangles.size()),
                             rectangles.data());
        xcb_flush(connection);
        return true;
    }
    if (QGuiApplication::platformName().startsWith(u"wayland")) {
        window.setMask(region);
        return true;
    }
    return false;
}

} // namespace nimbrel
