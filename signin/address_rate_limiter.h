#pragma once

#include <cstddef>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/ownership/rate_limit_window.h"
#include "core/time/instant.h"

namespace nimbrel {

/// A per-address budget: at most `limit` requests per `window` seconds from each address, with the
/// sliding window of the program's own pacing. It remembers at most `maxAddresses` addresses; the one
/// heard from least recently is forgotten first, so a flood of addresses cannot grow it without bound.
/// Safe to use from several threads.
class AddressRateLimiter {
public:
    AddressRateLimiter(int limit, double window, std::size_t maxAddresses);

    /// Grants a request from `address` at `now`, or says how many seconds to wait before the next one.
    std::optional<double> reserve(std::string_view address, Instant now);

    /// Addresses remembered.
    std::size_t size() const;

private:
    struct Budget {
        RateLimitWindow window;
        std::list<std::string>::iterator recency;
    };

    mutable std::mutex m_mutex;
    int m_limit;
    double m_window;
    std::size_t m_maxAddresses;
    std::list<std::string> m_recency; // most recent first
    std::unordered_map<std::string, Budget> m_budgets;
};

} // namespace nimbrel
