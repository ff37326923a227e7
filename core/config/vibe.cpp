#include "core/config/vibe.h"

#include <array>
#include <string_view>

#include <nlohmann/json.hpp>

namespace nimbrel {
namespace {

constexpr std::string_view kNameKey = "name";
constexpr std::string_view kStatusTextKey = "status_text";
constexpr std::string_view kStatusEmojiKey = "status_emoji";
constexpr std::string_view kMatchKey = "match";
constexpr std::string_view kThemeKey = "theme";

constexpr std::array kKnownKeys = {kNameKey, kStatusTextKey, kStatusEmojiKey, kMatchKey, kThemeKey};

} // namespace

bool Vibe::isKnownKey(std::string_view key) noexcept {
    for (const std::string_view known : kKnownKeys) {
        if (known == key) {
            return true;
        }
    }
    return false;
}

Vibe Vibe::fromJson(const nlohmann::json& json, const JsonPath& path) {
    const JsonObjectReader reader(json, path);
    Vibe vibe;
    vibe.name = reader.requiredString(kNameKey);
    vibe.statusText = reader.requiredString(kStatusTextKey);
    vibe.statusEmoji = reader.requiredString(kStatusEmojiKey);
    if (const nlohmann::json* match = reader.optionalArray(kMatchKey)) {
        const JsonPath matchPath = path.key(kMatchKey);
        vibe.match.reserve(match->size());
        for (std::size_t index = 0; index < match->size(); ++index) {
            vibe.match.push_back(JsonObjectReader::stringValue((*match)[index], matchPath.index(index)));
        }
    }
    vibe.themeID = reader.optionalString(kThemeKey);
    return vibe;
}

nlohmann::json Vibe::toJson() const {
    nlohmann::json json = nlohmann::json::object();
    json[kNameKey] = name;
    json[kStatusTextKey] = statusText;
    json[kStatusEmojiKey] = statusEmoji;
    json[kMatchKey] = match;
    if (themeID) {
        json[kThemeKey] = *themeID;
    }
    return json;
}

} // namespace nimbrel
