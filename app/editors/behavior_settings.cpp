#include "app/editors/behavior_settings.h"

#include <algorithm>

namespace nimbrel {

std::string BehaviorSettings::pollLabel(std::int64_t seconds) {
    return std::string(kPollPrefix) + std::to_string(seconds) + std::string(kPollSuffix);
}

std::int64_t BehaviorSettings::shownPoll(std::int64_t configured) {
    return std::max(configured, kMinimumPoll);
}

std::int64_t BehaviorSettings::steppedPoll(std::int64_t shown, int steps) {
    if (steps == 0 || (steps > 0 && shown > kMaximumPoll)) {
        return shown; // the stepper offers no way up from a longer interval set in the file
    }
    std::int64_t value = shown;
    int remaining = steps;
    // Out of range or off the grid: the first step lands on the nearest grid value in its direction.
    if (value < kMinimumPoll || value > kMaximumPoll || value % kPollStep != 0) {
        if (remaining > 0) {
            value = value < kMinimumPoll ? kMinimumPoll : (value / kPollStep + 1) * kPollStep;
            --remaining;
        } else {
            value = value > kMaximumPoll ? kMaximumPoll : value / kPollStep * kPollStep;
            ++remaining;
        }
    }
    return std::clamp(value + remaining * kPollStep, kMinimumPoll, kMaximumPoll);
}

std::int64_t BehaviorSettings::enteredPoll(std::int64_t typed) {
    const std::int64_t clamped = std::clamp(typed, kMinimumPoll, kMaximumPoll);
    return (clamped + kPollStep / 2) / kPollStep * kPollStep;
}

std::optional<VibeConfig> BehaviorSettings::withWhenMusicStops(const VibeConfig& config, WhenMusicStops choice) {
    if (config.whenMusicStops == choice) {
        return std::nullopt;
    }
    VibeConfig changed = config;
    changed.whenMusicStops = choice;
    return changed;
}

std::optional<VibeConfig> BehaviorSettings::withPollSeconds(const VibeConfig& config, std::int64_t seconds) {
    if (config.pollSeconds == seconds) {
        return std::nullopt;
    }
    VibeConfig changed = config;
    changed.pollSeconds = seconds;
    return changed;
}

} // namespace nimbrel
