#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// A supported music player. Stored in the configuration as its raw value ("spotify", "apple_music");
/// the display name is the player's name in every message and label.
class NIMBREL_CORE_EXPORT PlayerSourceID {
public:
    enum Value { spotify, appleMusic };

    constexpr PlayerSourceID(Value value) noexcept // NOLINT(google-explicit-constructor): reads like the enum
        : m_value(value) {}

    /// Every player, in the default priority order.
    static constexpr std::array<PlayerSourceID, 2> allCases() noexcept { return {spotify, appleMusic}; }
    /// The player with exactly this raw value (case-sensitive), or none.
    static std::optional<PlayerSourceID> fromRawValue(std::string_view rawValue) noexcept;

    constexpr Value value() const noexcept { return m_value; }
    std::string_view rawValue() const noexcept;
    std::string_view displayName() const noexcept;

    friend constexpr bool operator==(PlayerSourceID, PlayerSourceID) noexcept = default;

private:
    Value m_value;
};

} // namespace nimbrel
