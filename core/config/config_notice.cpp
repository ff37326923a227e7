#include "core/config/config_notice.h"

#include <string_view>

#include <nlohmann/json.hpp>

#include "core/config/config_keys.h"
#include "core/theme/text_transform.h"

namespace nimbrel {
namespace {

// Values are quoted as JSON strings, so that a control character or a stray quote in a hand-edited file
// shows as what it is instead of garbling the line it is printed on.
std::string quoted(const std::string& text) {
    return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// "none, alternating_caps, leet, zalgo or vaporwave".
std::string transformNames() {
    std::string names;
    const auto transforms = TextTransform::allCases();
    for (std::size_t index = 0; index < transforms.size(); ++index) {
        if (index > 0) {
            names += index + 1 == transforms.size() ? " or " : ", ";
        }
        names += transforms[index].rawValue();
    }
    return names;
}

} // namespace

std::string ConfigNotice::message() const {
    const std::string where = path + ": ";
    const auto successor = [this] {
        return quoted(std::string(detail::successorOfLegacyKey(path)));
    };
    switch (kind) {
    case Kind::unknownKey:
        return where + "not a setting Nimbrel knows; it is ignored, and the next save leaves it out.";
    case Kind::legacyKeyUsed:
        return where + "a setting of an older layout; " + value + " here makes " + successor() + " " +
               quoted(replacement) + ", which the next save writes in its place.";
    case Kind::legacyKeyIgnored:
        return where + "a setting of an older layout, ignored because " + successor() +
               " is set; the next save leaves it out.";
    case Kind::unknownWhenMusicStops:
        return where + quoted(value) + " is not one of restore, clear or leave; " + quoted(replacement) +
               " is used instead.";
    case Kind::unknownSource:
        return where + quoted(value) + " is not a player Nimbrel knows (spotify, apple_music); it is ignored.";
    case Kind::repeatedSource:
        return where + quoted(value) + " is listed again; only its first place counts.";
    case Kind::unknownTheme:
        return where + "no theme has the id " + quoted(value) + "; " + quoted(replacement) + " is used instead.";
    case Kind::unknownVibeTheme:
        return where + "no theme has the id " + quoted(value) + "; the vibe follows the default theme.";
    case Kind::unknownTransform:
        return where + quoted(value) + " is not one of " + transformNames() + "; " + quoted(replacement) +
               " is used instead.";
    }
    return where + quoted(value);
}

} // namespace nimbrel
