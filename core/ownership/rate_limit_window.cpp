#include "core/ownership/rate_limit_window.h"

#include <algorithm>

namespace nimbrel {

RateLimitWindow::RateLimitWindow(int limit, double window)
    : m_limit(std::max(limit, 0))
    , m_window(window) {}

bool RateLimitWindow::isLive(Instant stamp, Instant now) const noexcept {
    return stamp <= now && Instants::secondsBetween(stamp, now) < m_window;
}

std::vector<Instant> RateLimitWindow::liveStamps(Instant now) const {
    std::vector<Instant> live;
    std::copy_if(m_stamps.begin(), m_stamps.end(), std::back_inserter(live),
                 [&](Instant stamp) { return isLive(stamp, now); });
    return live;
}

bool RateLimitWindow::reserve(Instant now) {
    // Pruning before appending keeps the list at most `limit` long.
    std::erase_if(m_stamps, [&](Instant stamp) { return !isLive(stamp, now); });
    if (std::ssize(m_stamps) >= m_limit) {
        return false;
    }
    m_stamps.push_back(now);
    return true;
}

std::optional<Instant> RateLimitWindow::nextAvailable(Instant now) const {
    const std::vector<Instant> live = liveStamps(now);
    if (live.empty() || std::ssize(live) < m_limit) {
        return std::nullopt;
    }
    return Instants::adding(live.front(), m_window);
}

int RateLimitWindow::remaining(Instant now) const {
    const auto live =
        std::count_if(m_stamps.begin(), m_stamps.end(), [&](Instant stamp) { return isLive(stamp, now); });
    return std::max(m_limit - static_cast<int>(live), 0);
}

} // namespace nimbrel
