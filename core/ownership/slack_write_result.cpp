#include "core/ownership/slack_write_result.h"

#include <algorithm>

namespace nimbrel {

SlackWriteResult SlackWriteResult::overall(const std::vector<SlackWriteResult>& results) {
    const auto any = [&results](auto isCase) {
        return std::any_of(results.begin(), results.end(), isCase);
    };
    if (results.empty() || any([](const SlackWriteResult& result) { return result.as<Wrote>() != nullptr; })) {
        return wrote();
    }
    if (any([](const SlackWriteResult& result) { return result.as<Deferred>() != nullptr; })) {
        return deferred();
    }
    if (any([](const SlackWriteResult& result) { return result.as<Yielded>() != nullptr; })) {
        return yielded();
    }
    // Every result is a failure by now.
    return results.front();
}

} // namespace nimbrel
