#include "core/config/when_music_stops.h"

namespace nimbrel {

std::optional<WhenMusicStops> WhenMusicStops::fromRawValue(std::string_view rawValue) noexcept {
    for (const WhenMusicStops candidate : allCases()) {
        if (candidate.rawValue() == rawValue) {
            return candidate;
        }
    }
    return std::nullopt;
}

std::string_view WhenMusicStops::rawValue() const noexcept {
    switch (m_value) {
    case restore:
        return "restore";
    case clear:
        return "clear";
    case leave:
        return "leave";
    }
    return "restore";
}

std::string_view WhenMusicStops::displayName() const noexcept {
    switch (m_value) {
    case restore:
        return "Restore my previous status";
    case clear:
        return "Clear my status";
    case leave:
        return "Leave the last status";
    }
    return "Restore my previous status";
}

std::string_view WhenMusicStops::summary() const noexcept {
    switch (m_value) {
    case restore:
        return "Puts back whatever your status was before Nimbrel set one \u2014 including its expiry. Clears it if "
               "there was nothing to restore.";
    case clear:
        return "Empties your Slack status whenever the music stops.";
    case leave:
        return "Leaves the last vibe up until something is playing again.";
    }
    return "";
}

} // namespace nimbrel
