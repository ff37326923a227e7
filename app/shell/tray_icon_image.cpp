#include "app/shell/tray_icon_image.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <cmath>

#include "app/mascot/devo_metrics.h"
#include "app/mascot/devo_painter.h"

namespace nimbrel {

QImage TrayIconImage::render(const DevoMetrics& metrics, const Devo::Frame& frame, int height, double devicePixelRatio,
                             const QColor& color) {
    const double ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QImage image(static_cast<int>(std::ceil(metrics.reservedWidth() * ratio)),
                 static_cast<int>(std::ceil(height * ratio)), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    DevoPainter::paint(painter, metrics, frame, height, color);
    return image;
}

QColor TrayIconImage::themeColor() {
    return QGuiApplication::palette().color(QPalette::WindowText);
}

} // namespace nimbrel
