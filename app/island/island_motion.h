#pragma once

#include <chrono>

namespace nimbrel {

/// How the island moves between collapsed and expanded: a spring, or a short ease-in-out when the desktop
/// asks for reduced motion. Progress runs from 0 (where it was) to 1 (where it goes); the spring overshoots
/// a little before it settles.
struct IslandMotion {
    enum class Kind { spring, easeInOut };

    /// The spring's response (its undamped period) and damping fraction.
    static constexpr double kResponse = 0.35;
    static constexpr double kDampingFraction = 0.8;
    /// The ease-in-out's length under reduced motion.
    static constexpr double kEaseDuration = 0.2;
    /// The spring counts as settled once it stays this close to its target.
    static constexpr double kSettleTolerance = 0.001;

    Kind kind = Kind::spring;

    /// The motion for the desktop's setting.
    static IslandMotion forReducedMotion(bool reduced) { return {reduced ? Kind::easeInOut : Kind::spring}; }
    /// Progress `seconds` after the change began.
    double progress(double seconds) const;
    /// How long the motion runs: the ease's length, or until the spring has settled within the tolerance.
    double duration() const;

    /// An underdamped spring from rest at 0 towards 1.
    static double spring(double seconds);
    /// A cubic ease-in-out over kEaseDuration.
    static double easeInOut(double seconds);
};

} // namespace nimbrel
