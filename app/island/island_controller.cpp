#include "app/island/island_controller.h"

#include <QCursor>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QScreen>

#include "app/island/island_expanded_content.h"
#include "app/island/island_headline.h"
#include "app/island/island_panel.h"
#include "app/island/island_view.h"
#include "app/island/reduced_motion_setting.h"
#include "app/mascot/devo_metrics.h"

namespace nimbrel {
namespace {

std::optional<ScreenMeasures> primaryScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return std::nullopt;
    }
    // Linux reports no camera housing: the island always hangs from a virtual notch.
    ScreenMeasures measures;
    measures.frame = QRectF(screen->geometry());
    measures.available = QRectF(screen->availableGeometry());
    return measures;
}

} // namespace

IslandController::IslandController(EngineViewModel& engine, const DevoMetrics& metrics, Options options,
                                   QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_metrics(metrics)
    , m_options(std::move(options))
    , m_panel(std::make_unique<IslandPanel>(engine, metrics))
    , m_motion(IslandMotion::forReducedMotion(m_options.reducedMotion)) {
    if (!m_options.screen) {
        m_options.screen = primaryScreen;
    }
    if (!m_options.pointer) {
        m_options.pointer = [] {
            return std::optional<QPointF>(QCursor::pos());
        };
    }
    m_tracker = std::make_unique<IslandPointerTracker>(
        m_options.timers, IslandPointerTracker::Hooks{
                              .hotRect =
                                  [this](bool expanded) {
                                      return IslandPlacement::hotRect(m_notch, m_model.layout(), expanded,
                                                                      mascotWidth());
                                  },
                              .pointer = m_options.pointer,
                              .isExpanded = [this] { return m_model.isExpanded(); },
                              .setExpanded = [this](bool expanded) { setExpanded(expanded); },
                          });

    m_animation.setStartValue(0.0);
    m_animation.setEndValue(1.0);
    // The animation only keeps time; the motion's own curve turns elapsed time into progress, since a
    // spring's overshoot does not fit an easing curve of Qt's.
    connect(&m_animation, &QVariantAnimation::valueChanged, this, [this] {
        const double progress = m_motion.progress(m_animation.currentTime() / 1000.0);
        m_panel->view().setPresentation(m_animationFrom + (m_animationTo - m_animationFrom) * progress);
    });
    connect(&m_animation, &QVariantAnimation::finished, this,
            [this] { m_panel->view().setPresentation(m_animationTo); });

    connect(m_panel.get(), &IslandPanel::pointerMoved, this,
            [this](std::optional<QPointF> location) { m_tracker->pointerMoved(location); });
    connect(&m_panel->view(), &IslandView::headlineMeasured, this,
            [this](double idealWidth, double height) { m_model.setHeadlineSize(idealWidth, height); });
    connect(&m_model, &IslandModel::layoutChanged, this, &IslandController::applyLayout);
    // The headline measured its first content while the view was being built, before anyone listened.
    const IslandHeadline& headline = m_panel->view().expandedContent().headline();
    m_model.setHeadlineSize(headline.idealWidth(), headline.textHeight());

    if (m_options.followDesktopMotion) {
        m_desktopMotion = std::make_unique<ReducedMotionSetting>(QDBusConnection::sessionBus());
        connect(m_desktopMotion.get(), &ReducedMotionSetting::changed, this, &IslandController::setReducedMotion);
        m_desktopMotion->start();
    }

    relayout();
    m_panel->show();

    m_observers.append(connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, [this](QScreen* screen) {
        watchScreen(screen);
        relayout();
    }));
    watchScreen(QGuiApplication::primaryScreen());
}

IslandController::~IslandController() {
    stop();
}

void IslandController::stop() {
    if (m_stopped) {
        return;
    }
    m_stopped = true;
    for (const QMetaObject::Connection& observer : std::as_const(m_observers)) {
        disconnect(observer);
    }
    m_observers.clear();
    disconnect(m_panel.get(), &IslandPanel::pointerMoved, this, nullptr);
    m_tracker->cancel();
    m_animation.stop();
    m_panel->hide();
}

void IslandController::setMenuOpen(bool open) {
    if (!m_stopped) {
        m_tracker->setMenuOpen(open);
    }
}

void IslandController::setReducedMotion(bool reduced) {
    m_motion = IslandMotion::forReducedMotion(reduced);
}

double IslandController::mascotWidth() const {
    return m_metrics.reservedWidth();
}

QRectF IslandController::hotRect() const {
    return IslandPlacement::hotRect(m_notch, m_model.layout(), m_model.isExpanded(), mascotWidth());
}

bool IslandController::isAnimating() const {
    return m_animation.state() == QAbstractAnimation::Running;
}

void IslandController::watchScreen(QScreen* screen) {
    if (screen == nullptr) {
        return;
    }
    // A resolution change moves the top centre; a panel added or removed at the top changes the notch.
    m_observers.append(connect(screen, &QScreen::geometryChanged, this, &IslandController::relayout));
    m_observers.append(connect(screen, &QScreen::availableGeometryChanged, this, &IslandController::relayout));
}

void IslandController::relayout() {
    const std::optional<ScreenMeasures> screen = m_options.screen();
    if (!screen) {
        return;
    }
    const IslandPlacement::Placement placement = IslandPlacement::place(*screen, m_model.layout(), mascotWidth());
    m_notch = placement.notch.rect;
    m_panel->setGeometry(placement.panel.toAlignedRect());
    m_model.setLayout(placement.layout); // notifies only on change
    applyLayout();
}

void IslandController::applyLayout() {
    const QPointF origin = m_panel->geometry().topLeft();
    m_panel->view().setGeometryModel(m_model.layout(), m_notch.translated(-origin));
    updateInputRegion();
}

void IslandController::setExpanded(bool expanded, bool animated) {
    m_model.setExpanded(expanded);
    m_animation.stop();
    m_animationFrom = m_panel->view().presentation();
    m_animationTo = expanded ? 1.0 : 0.0;
    if (animated) {
        m_animation.setDuration(static_cast<int>(m_motion.duration() * 1000));
        m_animation.start();
    } else {
        m_panel->view().setPresentation(m_animationTo);
    }
    updateInputRegion();
    // The hot rectangle has a new size: look at where the pointer is against it.
    m_tracker->check();
}

void IslandController::updateInputRegion() {
    const QPointF origin = m_panel->geometry().topLeft();
    m_panel->setInputRegion(QRegion(hotRect().translated(-origin).toAlignedRect()));
}

} // namespace nimbrel
