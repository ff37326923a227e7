#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QVariantAnimation>
#include <functional>
#include <memory>
#include <optional>

#include "app/clients/timers.h"
#include "app/island/island_model.h"
#include "app/island/island_motion.h"
#include "app/island/island_placement.h"
#include "app/island/island_pointer_tracker.h"

class QScreen;

namespace nimbrel {

class DevoMetrics;
class EngineViewModel;
class IslandPanel;
class ReducedMotionSetting;

/// Owns the notch island: its window, its model, the pointer tracking and the placement. Created once when
/// the desktop program starts; `stop()` takes the island down.
class IslandController final : public QObject {
    Q_OBJECT

public:
    struct Options {
        /// Time for the pointer's delays.
        std::shared_ptr<Timers> timers;
        /// The primary screen's measures, none without a screen. Unset: QGuiApplication's primary screen.
        std::function<std::optional<ScreenMeasures>()> screen;
        /// Where the pointer is, in screen coordinates. Unset: QCursor::pos().
        std::function<std::optional<QPointF>()> pointer;
        /// Follow the desktop's reduced-motion setting through the desktop portal on the session bus; when
        /// false, motion is reduced exactly when `reducedMotion` says.
        bool followDesktopMotion = true;
        bool reducedMotion = false;
    };

    /// Builds the panel, lays it out on the primary screen, shows it without activating anything and starts
    /// following screen changes and the pointer. `engine` and `metrics` must outlive the controller.
    IslandController(EngineViewModel& engine, const DevoMetrics& metrics, Options options, QObject* parent = nullptr);
    ~IslandController() override;
    Q_DISABLE_COPY_MOVE(IslandController)

    /// Stops following screens and the pointer, drops a pending change and hides the panel. Idempotent.
    void stop();
    /// A menu of the program opened or closed; the pointer is ignored meanwhile.
    void setMenuOpen(bool open);
    /// The desktop's reduced-motion setting changed.
    void setReducedMotion(bool reduced);
    /// Places the island on the current primary screen again (screen changes call it).
    void relayout();
    /// Expands or collapses at once or animated, as the pointer's delays do.
    void setExpanded(bool expanded, bool animated = true);

    IslandModel& model() noexcept { return m_model; }
    IslandPanel& panel() const noexcept { return *m_panel; }
    /// The notch in screen coordinates.
    QRectF notch() const noexcept { return m_notch; }
    /// Where the pointer counts as on the island now, in screen coordinates.
    QRectF hotRect() const;
    double mascotWidth() const;
    const IslandMotion& motion() const noexcept { return m_motion; }
    bool isAnimating() const;

private:
    void watchScreen(QScreen* screen);
    void updateInputRegion();
    void applyLayout();

    EngineViewModel& m_engine;
    const DevoMetrics& m_metrics;
    Options m_options;
    IslandModel m_model;
    std::unique_ptr<IslandPanel> m_panel;
    std::unique_ptr<ReducedMotionSetting> m_desktopMotion;
    QRectF m_notch;
    IslandMotion m_motion;
    std::unique_ptr<IslandPointerTracker> m_tracker;
    QVariantAnimation m_animation;
    double m_animationFrom = 0;
    double m_animationTo = 0;
    QList<QMetaObject::Connection> m_observers;
    bool m_stopped = false;
};

} // namespace nimbrel
