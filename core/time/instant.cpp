#include "core/time/instant.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace nimbrel {
namespace {

using Duration = Instant::duration;
using Rep = Duration::rep;

constexpr double kTicksPerSecond = static_cast<double>(Duration::period::den) / Duration::period::num;

// The largest tick count a double can carry back into the clock's integer without overflowing: doubles
// near 2^63 round up to 2^63 itself, which no signed 64-bit value holds.
constexpr double kTickLimit = 9.2e18;

constexpr Rep kReferenceTicks =
    static_cast<Rep>(Instants::referenceDateOffset) * Duration::period::den / Duration::period::num;

// Whole seconds and the fraction are converted apart: a product such as 1.75e9 s × 1e9 would be rounded to
// the double grid (256 ns at that size), while each half converts exactly or to the nearest tick.
std::optional<Rep> ticksFromSeconds(double seconds) noexcept {
    if (!std::isfinite(seconds)) {
        return std::nullopt;
    }
    const double whole = std::floor(seconds);
    if (whole * kTicksPerSecond > kTickLimit || whole * kTicksPerSecond < -kTickLimit) {
        return std::nullopt;
    }
    const auto wholeTicks = static_cast<Rep>(whole) * static_cast<Rep>(kTicksPerSecond);
    const auto fractionTicks = static_cast<Rep>(std::round((seconds - whole) * kTicksPerSecond));
    Rep sum = 0;
    if (__builtin_add_overflow(wholeTicks, fractionTicks, &sum)) {
        return std::nullopt;
    }
    return sum;
}

} // namespace

double Instants::secondsBetween(Instant from, Instant to) noexcept {
    Rep difference = 0;
    if (__builtin_sub_overflow(to.time_since_epoch().count(), from.time_since_epoch().count(), &difference)) {
        return to > from ? std::numeric_limits<double>::infinity() : -std::numeric_limits<double>::infinity();
    }
    return static_cast<double>(difference) / kTicksPerSecond;
}

Instant Instants::adding(Instant instant, double seconds) noexcept {
    if (std::isnan(seconds) || seconds == 0.0) {
        return instant;
    }
    const std::optional<Rep> ticks = ticksFromSeconds(seconds);
    Rep sum = 0;
    if (!ticks || __builtin_add_overflow(instant.time_since_epoch().count(), *ticks, &sum)) {
        return seconds > 0 ? Instant::max() : Instant::min();
    }
    return Instant(Duration(sum));
}

double Instants::secondsSince1970(Instant instant) noexcept {
    return static_cast<double>(instant.time_since_epoch().count()) / kTicksPerSecond;
}

std::optional<Instant> Instants::fromSecondsSince1970(double seconds) noexcept {
    const std::optional<Rep> ticks = ticksFromSeconds(seconds);
    if (!ticks) {
        return std::nullopt;
    }
    return Instant(Duration(*ticks));
}

// The offset is applied in whole ticks so that an instant on a whole second since 2001 is written as a whole
// number of seconds and reads back exactly.
double Instants::secondsSinceReferenceDate(Instant instant) noexcept {
    return secondsBetween(Instant(Duration(kReferenceTicks)), instant);
}

std::optional<Instant> Instants::fromSecondsSinceReferenceDate(double seconds) noexcept {
    const std::optional<Rep> ticks = ticksFromSeconds(seconds);
    Rep sum = 0;
    if (!ticks || __builtin_add_overflow(*ticks, kReferenceTicks, &sum)) {
        return std::nullopt;
    }
    return Instant(Duration(sum));
}

} // namespace nimbrel
