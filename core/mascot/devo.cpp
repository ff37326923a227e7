#include "core/mascot/devo.h"

namespace nimbrel {
namespace {

Devo::Frame restingFrame(std::string_view face) {
    return {std::string(face), std::string(Devo::restingTail), true, 0};
}

} // namespace

std::string Devo::Frame::plainText() const {
    return body + tail;
}

bool Devo::animates(DevoState state) noexcept {
    return state == DevoState::playing;
}

Devo::Frame Devo::frame(DevoState state, std::int64_t tick, bool blinking) {
    switch (state) {
    case DevoState::playing: {
        // Two's complement makes `tick & 3` a position from 0 to 3 for negative ticks as well.
        const auto position = static_cast<std::size_t>(tick & 3);
        return {std::string(blinking ? kEyesShut : kEyesOpen), std::string(tailFrames[position]), false,
                bounceFrames[position]};
    }
    case DevoState::paused:
        return restingFrame(kEyesShut);
    case DevoState::notConnected:
        return restingFrame(kNotConnectedFace);
    case DevoState::error:
        break;
    }
    return restingFrame(kErrorFace);
}

bool Devo::isBlinking(DevoState state, std::int64_t tick) noexcept {
    return state == DevoState::playing && tick % blinkPeriod == 0;
}

Devo::Frame Devo::frame(DevoState state, std::int64_t tick) {
    return frame(state, tick, isBlinking(state, tick));
}

const std::vector<Devo::Frame>& Devo::allFrames() {
    static const std::vector<Frame> frames = [] {
        std::vector<Frame> all;
        for (std::int64_t position = 0; position < static_cast<std::int64_t>(tailFrames.size()); ++position) {
            all.push_back(frame(DevoState::playing, position, false));
            all.push_back(frame(DevoState::playing, position, true));
        }
        for (const DevoState state : {DevoState::paused, DevoState::notConnected, DevoState::error}) {
            all.push_back(frame(state, 0, false));
        }
        return all;
    }();
    return frames;
}

} // namespace nimbrel

std::size_t std::hash<nimbrel::Devo::Frame>::operator()(const nimbrel::Devo::Frame& frame) const noexcept {
    std::size_t seed = std::hash<std::string>{}(frame.body);
    const auto combine = [&seed](std::size_t value) {
        seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
    };
    combine(std::hash<std::string>{}(frame.tail));
    combine(std::hash<bool>{}(frame.tailMirrored));
    // -0.0 and 0.0 are equal frames, so they must hash alike.
    combine(std::hash<double>{}(frame.bounce == 0 ? 0.0 : frame.bounce));
    return seed;
}
