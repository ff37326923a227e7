#pragma once

#include <QPointF>
#include <QRectF>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "app/clients/timers.h"

namespace nimbrel {

/// Decides when the pointer expands and collapses the island. The pointer must rest on the island for
/// kExpandDelay before it opens, and stay away for kCollapseDelay before it closes; a pointer that changes
/// its mind within the delay changes nothing. While one of the program's menus is open the pointer is
/// ignored altogether. No timer runs unless a change is pending.
class IslandPointerTracker final {
public:
    static constexpr std::chrono::milliseconds kExpandDelay{120};
    static constexpr std::chrono::milliseconds kCollapseDelay{300};

    struct Hooks {
        /// The hot rectangle for an expansion, in screen coordinates.
        std::function<QRectF(bool expanded)> hotRect;
        /// Where the pointer is now; none when it cannot be told (then it counts as away).
        std::function<std::optional<QPointF>()> pointer;
        /// Whether the island is expanded now.
        std::function<bool()> isExpanded;
        /// Carries out a change of expansion (the controller animates it and calls check() again).
        std::function<void(bool expanded)> setExpanded;
    };

    IslandPointerTracker(std::shared_ptr<Timers> timers, Hooks hooks);

    /// The pointer moved to `location` (none: it left the island's window). Decides whether a change is due.
    void pointerMoved(std::optional<QPointF> location);
    /// The same with the pointer's current location.
    void check();
    /// A menu of the program opened or closed. Closing looks at the pointer again, since the island saw
    /// none of its moves meanwhile.
    void setMenuOpen(bool open);
    bool isMenuOpen() const noexcept { return m_menuOpen; }
    /// Forgets a pending change.
    void cancel();
    /// Whether a change waits for its delay.
    bool hasPendingChange() const noexcept { return m_pending != nullptr; }

private:
    bool isInside(const std::optional<QPointF>& location) const;
    void delayEnded(bool wish);

    std::shared_ptr<Timers> m_timers;
    Hooks m_hooks;
    bool m_menuOpen = false;
    std::unique_ptr<TimerHandle> m_pending;
};

} // namespace nimbrel
