#include "core/nowplaying/player_source_id.h"

namespace nimbrel {

std::optional<PlayerSourceID> PlayerSourceID::fromRawValue(std::string_view rawValue) noexcept {
    for (const PlayerSourceID source : allCases()) {
        if (source.rawValue() == rawValue) {
            return source;
        }
    }
    return std::nullopt;
}

std::string_view PlayerSourceID::rawValue() const noexcept {
    switch (m_value) {
    case spotify:
        return "spotify";
    case appleMusic:
        return "apple_music";
    }
    return {};
}

std::string_view PlayerSourceID::displayName() const noexcept {
    switch (m_value) {
    case spotify:
        return "Spotify";
    case appleMusic:
        return "Apple Music";
    }
    return {};
}

} // namespace nimbrel
