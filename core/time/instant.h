#pragma once

#include <chrono>
#include <optional>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// A moment in time. The core has no clock: every operation that needs the time takes it as an argument.
using Instant = std::chrono::system_clock::time_point;

/// Second-granular arithmetic on instants. Differences are taken on the clock's integer ticks, so an interval
/// of exactly six seconds is exactly 6.0 and never 5.999…; results that would leave the representable range
/// saturate instead of wrapping.
struct NIMBREL_CORE_EXPORT Instants final {
    Instants() = delete;

    /// Seconds between 2001-01-01 00:00:00 UTC and 1970-01-01 00:00:00 UTC.
    static constexpr double referenceDateOffset = 978'307'200.0;

    /// `to` minus `from`, in seconds; ± infinity when the difference overflows the clock's ticks.
    static double secondsBetween(Instant from, Instant to) noexcept;
    /// The instant `seconds` after `instant` (before it when negative), saturating at the clock's range;
    /// a NaN adds nothing.
    static Instant adding(Instant instant, double seconds) noexcept;

    /// Seconds since 1970-01-01 00:00:00 UTC.
    static double secondsSince1970(Instant instant) noexcept;
    /// The instant so many seconds after 1970; none when the value is not finite or out of the clock's range.
    static std::optional<Instant> fromSecondsSince1970(double seconds) noexcept;
    /// Seconds since 2001-01-01 00:00:00 UTC, the reference date of the state file.
    static double secondsSinceReferenceDate(Instant instant) noexcept;
    /// The instant so many seconds after 2001; none when the value is not finite or out of the clock's range.
    static std::optional<Instant> fromSecondsSinceReferenceDate(double seconds) noexcept;
};

} // namespace nimbrel
