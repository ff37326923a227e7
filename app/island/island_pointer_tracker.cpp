#include "app/island/island_pointer_tracker.h"

#include <utility>

namespace nimbrel {

IslandPointerTracker::IslandPointerTracker(std::shared_ptr<Timers> timers, Hooks hooks)
    : m_timers(std::move(timers))
    , m_hooks(std::move(hooks)) {}

void IslandPointerTracker::pointerMoved(std::optional<QPointF> location) {
    if (m_menuOpen) {
        return;
    }
    const bool inside = isInside(location);
    if (inside == m_hooks.isExpanded()) {
        m_pending.reset(); // the pointer came back before the change was due
        return;
    }
    if (m_pending) {
        return; // the delay runs from the first move that asked for the change
    }
    const auto delay = inside ? kExpandDelay : kCollapseDelay;
    m_pending = m_timers->start(delay, TimerPurpose::islandHover, [this, inside] { delayEnded(inside); });
}

void IslandPointerTracker::check() {
    pointerMoved(m_hooks.pointer());
}

void IslandPointerTracker::setMenuOpen(bool open) {
    if (open == m_menuOpen) {
        return;
    }
    m_menuOpen = open;
    if (open) {
        m_pending.reset();
    } else {
        check();
    }
}

void IslandPointerTracker::cancel() {
    m_pending.reset();
}

bool IslandPointerTracker::isInside(const std::optional<QPointF>& location) const {
    return location && m_hooks.hotRect(m_hooks.isExpanded()).contains(*location);
}

void IslandPointerTracker::delayEnded(bool wish) {
    // The handle dies here, inside its own callback, which Timers allows.
    m_pending.reset();
    if (m_menuOpen || isInside(m_hooks.pointer()) != wish || m_hooks.isExpanded() == wish) {
        return;
    }
    m_hooks.setExpanded(wish);
}

} // namespace nimbrel
