#pragma once

#include <QPointF>
#include <QRegion>
#include <QWidget>
#include <optional>

namespace nimbrel {

class DevoMetrics;
class EngineViewModel;
class IslandView;

/// The island's window: frameless, above other windows, never focused or activated, with a transparent
/// background. Only its input region (the hot rectangle) takes the pointer; elsewhere clicks fall through
/// to the windows below. It reports the pointer's moves over that region.
class IslandPanel final : public QWidget {
    Q_OBJECT

public:
    /// `metrics` and `engine` must outlive the panel.
    IslandPanel(EngineViewModel& engine, const DevoMetrics& metrics, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(IslandPanel)

    IslandView& view() const noexcept { return *m_view; }
    /// Limits pointer input to `region` (panel coordinates); false when the platform cannot.
    bool setInputRegion(const QRegion& region);
    const QRegion& inputRegion() const noexcept { return m_inputRegion; }

Q_SIGNALS:
    /// The pointer moved over the panel (screen coordinates), or left it (none).
    void pointerMoved(std::optional<QPointF> location);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    IslandView* m_view;
    QRegion m_inputRegion;
};

} // namespace nimbrel
