#include "signin/address_rate_limiter.h"

#include <algorithm>
#include <cmath>

namespace nimbrel {

AddressRateLimiter::AddressRateLimiter(int limit, double window, std::size_t maxAddresses)
    : m_limit(limit)
    , m_window(window)
    , m_maxAddresses(std::max<std::size_t>(maxAddresses, 1)) {}

std::optional<double> AddressRateLimiter::reserve(std::string_view address, Instant now) {
    const std::lock_guard lock(m_mutex);
    auto found = m_budgets.find(std::string(address));
    if (found == m_budgets.end()) {
        if (m_budgets.size() >= m_maxAddresses) {
            m_budgets.erase(m_recency.back());
            m_recency.pop_back();
        }
        m_recency.emplace_front(address);
        found =
            m_budgets.emplace(m_recency.front(), Budget{RateLimitWindow(m_limit, m_window), m_recency.begin()}).first;
    } else {
        m_recency.splice(m_recency.begin(), m_recency, found->second.recency);
    }
    if (found->second.window.reserve(now)) {
        return std::nullopt;
    }
    const auto next = found->second.window.nextAvailable(now);
    return next ? std::max(1.0, std::ceil(Instants::secondsBetween(now, *next))) : 1.0;
}

std::size_t AddressRateLimiter::size() const {
    const std::lock_guard lock(m_mutex);
    return m_budgets.size();
}

} // namespace nimbrel
