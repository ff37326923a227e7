#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/mascot/devo_state.h"
#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// Devo, the cat of the menu bar and the island: a face and a tail drawn as text. While music plays the
/// tail swings through four positions and the eyes blink now and then; otherwise the face tells the state
/// and the tail rests. The engine owns the state and the tick; this only says what to draw.
struct NIMBREL_CORE_EXPORT Devo final {
    Devo() = delete;

    /// One picture of the cat.
    struct NIMBREL_CORE_EXPORT Frame {
        /// The face, drawn first.
        std::string body;
        /// One glyph drawn after the face.
        std::string tail;
        /// Whether the renderer mirrors the tail left to right.
        bool tailMirrored = false;
        /// Vertical offset of the whole frame in points: -1, 0 or 1.
        double bounce = 0;

        /// The face followed by the tail (mirroring is a drawing matter and does not show here).
        std::string plainText() const;

        friend bool operator==(const Frame&, const Frame&) = default;
    };

    /// The faces: cheeks, ears and the nose "ᴥ" between two eyes (open, shut, "?" and "x").
    static constexpr std::string_view kEyesOpen = "\u208D^\u2022\u1D25\u2022^\u208E";
    static constexpr std::string_view kEyesShut = "\u208D^-\u1D25-^\u208E";
    static constexpr std::string_view kNotConnectedFace = "\u208D^?\u1D25?^\u208E";
    static constexpr std::string_view kErrorFace = "\u208D^x\u1D25x^\u208E";

    /// The swinging tail, out and back: the second and fourth glyphs are the same.
    static constexpr std::array<std::string_view, 4> tailFrames = {"\u27C6", "\u0283", "\u222B", "\u0283"};
    /// The vertical offset at each tail position.
    static constexpr std::array<double, 4> bounceFrames = {0, 1, 0, -1};
    /// The tail of every state but playing.
    static constexpr std::string_view restingTail = "\u14DA";
    /// The eyes blink on every tick that is a multiple of this.
    static constexpr std::int64_t blinkPeriod = 13;

    /// Whether the state swings the tail (only `playing`).
    static bool animates(DevoState state) noexcept;
    /// The frame of a state at a tick. Only `playing` looks at the tick (its two lowest bits, so any integer,
    /// negative ones too, picks a tail position) and at `blinking`.
    static Frame frame(DevoState state, std::int64_t tick, bool blinking);
    /// Whether the eyes are shut at this tick: while playing, on every multiple of `blinkPeriod`.
    static bool isBlinking(DevoState state, std::int64_t tick) noexcept;
    /// The frame to show at a tick, blinking by the rule above.
    static Frame frame(DevoState state, std::int64_t tick);
    /// Every frame `frame` can return, eleven in all: for each tail position the open-eyed then the blinking
    /// frame of `playing`, then the frames of `paused`, `notConnected` and `error`. Renderers reserve the
    /// width of the widest so the menu-bar item keeps its size.
    static const std::vector<Frame>& allFrames();
};

} // namespace nimbrel

/// Frames hash over all four fields, so renderers can cache measured widths by frame.
template <>
struct NIMBREL_CORE_EXPORT std::hash<nimbrel::Devo::Frame> {
    std::size_t operator()(const nimbrel::Devo::Frame& frame) const noexcept;
};
