#pragma once

#include <QColor>
#include <QWidget>
#include <optional>

#include "core/mascot/devo.h"

namespace nimbrel {

class DevoMetrics;
class EngineViewModel;

/// The cat as a small widget: shows the engine's current frame, L wide and as tall as asked, and repaints
/// only when the frame actually changes (a tick of a still cat draws nothing).
class DevoWidget final : public QWidget {
    Q_OBJECT

public:
    /// `metrics` and `engine` must outlive the widget. The colour is the palette's window text unless set.
    DevoWidget(const DevoMetrics& metrics, const EngineViewModel& engine, int height, QWidget* parent = nullptr);
    ~DevoWidget() override;
    Q_DISABLE_COPY_MOVE(DevoWidget)

    /// The frame shown now.
    const Devo::Frame& frame() const noexcept { return m_frame; }
    /// Draws in `color` instead of the palette's window text.
    void setColor(const QColor& color);
    /// How many times the frame changed since the widget was made (each change schedules one repaint).
    int frameChanges() const noexcept { return m_frameChanges; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void follow();

    const DevoMetrics& m_metrics;
    const EngineViewModel& m_engine;
    Devo::Frame m_frame;
    std::optional<QColor> m_color;
    int m_frameChanges = 0;
};

} // namespace nimbrel
