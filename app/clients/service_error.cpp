#include "app/clients/service_error.h"

#include <cmath>
#include <cstdio>

#include "app/clients/overloaded.h"

namespace nimbrel {

std::string ServiceError::description() const {
    return std::visit(Overloaded{
                          [](const Http& http) { return "HTTP " + std::to_string(http.status); },
                          [](const RateLimited& limited) {
                              if (!limited.retryAfter) {
                                  return std::string("HTTP 429 (rate limited)");
                              }
                              // Whole seconds, cut towards zero: 2.7 reads "2s".
                              const double whole = std::trunc(*limited.retryAfter);
                              char seconds[320];
                              std::snprintf(seconds, sizeof seconds, "%.0f", whole);
                              return "HTTP 429 (rate limited, retry after " + std::string(seconds) + "s)";
                          },
                          [](const Slack& slack) { return slack.code; },
                          [](const BadResponse&) { return std::string("bad response"); },
                          [](const TransportError& transport) { return transport.description; },
                      },
                      m_case);
}

bool ServiceError::isRetryable() const noexcept {
    if (const auto* http = as<Http>()) {
        return http->status >= 500 && http->status <= 599;
    }
    if (as<RateLimited>() != nullptr) {
        return true;
    }
    if (const auto* transport = as<TransportError>()) {
        return transport->isRetryable();
    }
    return false;
}

const std::string* ServiceError::slackCode() const noexcept {
    const auto* slack = as<Slack>();
    return slack != nullptr ? &slack->code : nullptr;
}

} // namespace nimbrel
