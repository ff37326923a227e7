#pragma once

#include <optional>
#include <vector>

#include "core/nimbrel_core_export.h"
#include "core/time/instant.h"

namespace nimbrel {

/// A sliding-window budget: at most `limit` actions within any span of `window` seconds. It remembers the
/// instant of every action it granted until that instant is `window` seconds old. A plain value; each owner
/// keeps its own copy, in memory only.
class NIMBREL_CORE_EXPORT RateLimitWindow {
public:
    /// A window with no granted actions; a negative limit is raised to 0.
    RateLimitWindow(int limit, double window);

    int limit() const noexcept { return m_limit; }
    double window() const noexcept { return m_window; }

    /// Grants an action at `now` and remembers it, or refuses and remembers nothing.
    bool reserve(Instant now);
    /// When the next action will be allowed, or none when one is allowed now.
    std::optional<Instant> nextAvailable(Instant now) const;
    /// How many more actions are allowed at `now`, never below 0.
    int remaining(Instant now) const;

    friend bool operator==(const RateLimitWindow&, const RateLimitWindow&) = default;

private:
    // A granted instant counts while it is younger than the window. One later than `now` does not count
    // (the clock was set back), so a clock change can never lock the budget for longer than it says.
    bool isLive(Instant stamp, Instant now) const noexcept;
    std::vector<Instant> liveStamps(Instant now) const;

    int m_limit;
    double m_window;
    std::vector<Instant> m_stamps;
};

} // namespace nimbrel
