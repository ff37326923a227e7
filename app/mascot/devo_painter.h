#pragma once

#include <QColor>

#include "app/mascot/devo_metrics.h"
#include "core/mascot/devo.h"

class QPainter;

namespace nimbrel {

/// Draws one frame of the cat where `DevoMetrics` places it, in one colour.
struct DevoPainter final {
    DevoPainter() = delete;

    /// Paints `frame` into `painter` in a picture `height` tall whose left edge is at x = 0, with the
    /// metrics' font and `color`. The painter's state is restored afterwards.
    static void paint(QPainter& painter, const DevoMetrics& metrics, const Devo::Frame& frame, double height,
                      const QColor& color);
};

} // namespace nimbrel
