#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/config/vibe_config.h"

namespace nimbrel {

/// What the Behavior tab shows and stores, without its widgets: the when-music-stops choice and the
/// safety-net poll stepper, which moves in steps of 30 s between 30 s and 600 s.
struct BehaviorSettings final {
    BehaviorSettings() = delete;

    static constexpr std::string_view kWhenMusicStopsLabel = "When music stops";
    static constexpr std::string_view kPollPrefix = "Safety-net poll: every ";
    static constexpr std::string_view kPollSuffix = "s";
    static constexpr std::string_view kPollNote =
        "Track changes are event-driven; this poll only catches missed notifications.";

    static constexpr std::int64_t kMinimumPoll = 30;
    static constexpr std::int64_t kMaximumPoll = 600;
    static constexpr std::int64_t kPollStep = 30;

    /// "Safety-net poll: every 120s".
    static std::string pollLabel(std::int64_t seconds);
    /// The value the stepper shows for a configured interval. The file may hold anything; below 30 s the
    /// engine polls every 30 s, so that is what shows. Above 600 s the value shows as it is, so opening the
    /// tab never claims a poll the engine does not make.
    static std::int64_t shownPoll(std::int64_t configured);
    /// The stepper moved `steps` steps from `shown`: onto the grid of 30 s, within 30 s to 600 s. A value off
    /// the grid (45 s from the file) steps to its neighbours on the grid (60 s up, 30 s down).
    static std::int64_t steppedPoll(std::int64_t shown, int steps);
    /// A value typed into the stepper: the nearest step within 30 s to 600 s.
    static std::int64_t enteredPoll(std::int64_t typed);

    /// The configuration with this choice, or none when it is already the configured one (nothing to apply).
    static std::optional<VibeConfig> withWhenMusicStops(const VibeConfig& config, WhenMusicStops choice);
    /// The configuration with this interval, or none when it is already the configured one.
    static std::optional<VibeConfig> withPollSeconds(const VibeConfig& config, std::int64_t seconds);
};

} // namespace nimbrel
