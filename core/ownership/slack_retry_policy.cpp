#include "core/ownership/slack_retry_policy.h"

#include <charconv>
#include <cmath>

#include "core/text/whitespace.h"

namespace nimbrel {

std::optional<double> SlackRetryPolicy::retryAfter(std::optional<std::string_view> headerValue) {
    if (!headerValue) {
        return std::nullopt;
    }
    std::string_view text = Whitespace::trimmedSpacesAndTabs(*headerValue);
    // from_chars takes no "+", which a general-purpose number parser accepts.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+') {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    double seconds = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    if (!std::isfinite(seconds) || seconds < 0) {
        return std::nullopt;
    }
    return seconds == 0 ? 0.0 : seconds; // -0 reads as 0
}

std::optional<double> SlackRetryPolicy::wait(std::optional<double> retryAfter) {
    if (retryAfter && *retryAfter <= maxRetryAfter) {
        return retryAfter;
    }
    return std::nullopt;
}

} // namespace nimbrel
