#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// What the engine does to the Slack status when playback stops. Stored as its raw value.
class NIMBREL_CORE_EXPORT WhenMusicStops {
public:
    enum Value { restore, clear, leave };

    constexpr WhenMusicStops(Value value) noexcept // NOLINT(google-explicit-constructor): reads like the enum
        : m_value(value) {}

    /// Every case, in the order the settings screen lists them.
    static constexpr std::array<WhenMusicStops, 3> allCases() noexcept { return {restore, clear, leave}; }
    /// The case with exactly this raw value (case-sensitive), or none.
    static std::optional<WhenMusicStops> fromRawValue(std::string_view rawValue) noexcept;

    constexpr Value value() const noexcept { return m_value; }
    std::string_view rawValue() const noexcept;
    /// The label of the case in the settings screen's picker.
    std::string_view displayName() const noexcept;
    /// The sentence shown beneath the picker.
    std::string_view summary() const noexcept;

    friend constexpr bool operator==(WhenMusicStops, WhenMusicStops) noexcept = default;

private:
    Value m_value;
};

} // namespace nimbrel
