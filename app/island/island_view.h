#pragma once

#include <QRectF>
#include <QWidget>

#include "app/island/island_layout.h"

namespace nimbrel {

class DevoMetrics;
class DevoWidget;
class EngineViewModel;
class IslandExpandedContent;

/// Draws the island inside its panel: the black notch shape at the size between collapsed and expanded that
/// the animation has reached, Devo beside the notch, and the expanded content once the island is (nearly)
/// open. Everything outside the shape stays transparent.
class IslandView final : public QWidget {
    Q_OBJECT

public:
    /// The expanded content shows from this far into the expansion on.
    static constexpr double kContentThreshold = 0.9;

    /// `metrics` and `engine` must outlive the view.
    IslandView(EngineViewModel& engine, const DevoMetrics& metrics, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(IslandView)

    /// The layout and the notch (in the view's coordinates) to draw around.
    void setGeometryModel(const IslandLayout& layout, const QRectF& notch);
    /// How far open: 0 collapsed, 1 expanded (a spring may briefly pass either end).
    void setPresentation(double progress);
    double presentation() const noexcept { return m_progress; }
    /// The island's rectangle as drawn now, in the view's coordinates.
    QRectF islandRect() const;

    IslandExpandedContent& expandedContent() const noexcept { return *m_expanded; }
    DevoWidget& devo() const noexcept { return *m_devo; }

Q_SIGNALS:
    /// The headline's ideal width and height, for the island's layout.
    void headlineMeasured(double idealWidth, double height);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void arrange();

    const DevoMetrics& m_metrics;
    IslandLayout m_layout;
    QRectF m_notch;
    double m_progress = 0;
    DevoWidget* m_devo;
    IslandExpandedContent* m_expanded;
};

} // namespace nimbrel
