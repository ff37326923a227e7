#include "app/island/island_motion.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nimbrel {
namespace {

// Unit mass: the response is the period of the undamped spring, so its natural frequency is 2π / response.
constexpr double kNaturalFrequency = 2 * std::numbers::pi / IslandMotion::kResponse;

} // namespace

double IslandMotion::spring(double seconds) {
    if (seconds <= 0) {
        return 0;
    }
    const double decay = kDampingFraction * kNaturalFrequency;
    const double damped = kNaturalFrequency * std::sqrt(1 - kDampingFraction * kDampingFraction);
    return 1 - std::exp(-decay * seconds) * (std::cos(damped * seconds) + decay / damped * std::sin(damped * seconds));
}

double IslandMotion::easeInOut(double seconds) {
    const double t = std::clamp(seconds / kEaseDuration, 0.0, 1.0);
    return t < 0.5 ? 4 * t * t * t : 1 - std::pow(-2 * t + 2, 3) / 2;
}

double IslandMotion::progress(double seconds) const {
    if (seconds >= duration()) {
        return 1;
    }
    return kind == Kind::spring ? spring(seconds) : easeInOut(seconds);
}

double IslandMotion::duration() const {
    if (kind == Kind::easeInOut) {
        return kEaseDuration;
    }
    // The envelope e^(-ζω t)·(1 + ζ/√(1-ζ²)) bounds the distance to the target; solve it for the tolerance.
    const double decay = kDampingFraction * kNaturalFrequency;
    const double amplitude = 1 + kDampingFraction / std::sqrt(1 - kDampingFraction * kDampingFraction);
    return std::log(amplitude / kSettleTolerance) / decay;
}

} // namespace nimbrel
