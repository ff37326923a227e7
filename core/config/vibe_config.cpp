#include "core/config/vibe_config.h"

#include <algorithm>
#include <array>
#include <set>
#include <utility>

#include <nlohmann/json.hpp>

#include "core/config/config_keys.h"
#include "core/json/json_reader.h"

namespace nimbrel {
namespace {

using namespace detail;

constexpr std::array kKnownKeys = {kSlackAccountsKey, kWhenMusicStopsKey, kStatusFormatKey,    kThemeKey,
                                   kCustomThemesKey,  kPollSecondsKey,    kAnimateMenuBarKey,  kSourcesKey,
                                   kDefaultVibeKey,   kVibesKey,          kClearWhenPausedKey, kAppendArtistKey};

// Collects notices when a caller asked for them; decoding without a sink records nothing.
class NoticeRecorder {
public:
    explicit NoticeRecorder(std::vector<ConfigNotice>* sink)
        : m_sink(sink) {}

    /// Whether anybody reads the notices; a value is only formatted for one when this holds.
    bool isWanted() const noexcept { return m_sink != nullptr; }

    void record(ConfigNotice::Kind kind, std::string path, std::string value, std::string replacement = {}) const {
        if (m_sink != nullptr) {
            m_sink->push_back(ConfigNotice{kind, std::move(path), std::move(value), std::move(replacement)});
        }
    }

    // Keys the decoder does not read. Commentary keys ("_…") are there for a person reading the file.
    void recordUnknownKeys(const nlohmann::json& object, const JsonPath& path,
                           bool (*isKnown)(std::string_view)) const {
        // A value that is no object is reported as a type error by its decoder.
        if (m_sink == nullptr || !object.is_object()) {
            return;
        }
        for (const auto& [key, value] : object.items()) {
            if (!key.empty() && key.front() != '_' && !isKnown(key)) {
                record(ConfigNotice::Kind::unknownKey, path.key(key).text(), key);
            }
        }
    }

private:
    std::vector<ConfigNotice>* m_sink;
};

bool isKnownConfigKey(std::string_view key) noexcept {
    return std::find(kKnownKeys.begin(), kKnownKeys.end(), key) != kKnownKeys.end();
}

// A value as the document spells it, for a notice.
std::string jsonText(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string booleanText(bool value) {
    return value ? "true" : "false";
}

template <typename Element, typename Decode>
std::vector<Element> decodeList(const JsonObjectReader& reader, std::string_view key, Decode decodeElement) {
    std::vector<Element> elements;
    if (const nlohmann::json* list = reader.optionalArray(key)) {
        const JsonPath listPath = reader.path().key(key);
        elements.reserve(list->size());
        for (std::size_t index = 0; index < list->size(); ++index) {
            elements.push_back(decodeElement((*list)[index], listPath.index(index)));
        }
    }
    return elements;
}

WhenMusicStops decodeWhenMusicStops(const JsonObjectReader& reader, const NoticeRecorder& notices) {
    const std::optional<std::string> written = reader.optionalString(kWhenMusicStopsKey);
    if (written) {
        if (const auto known = WhenMusicStops::fromRawValue(*written)) {
            if (notices.isWanted() && reader.value(kClearWhenPausedKey) != nullptr) {
                notices.record(ConfigNotice::Kind::legacyKeyIgnored, std::string(kClearWhenPausedKey),
                               jsonText(*reader.value(kClearWhenPausedKey)));
            }
            return *known;
        }
    }
    // Anything else falls back to the older layout's switch: pausing used to clear unless it was turned off.
    const std::optional<bool> clearWhenPaused = reader.optionalBool(kClearWhenPausedKey);
    const WhenMusicStops result = clearWhenPaused.value_or(true) ? WhenMusicStops::restore : WhenMusicStops::leave;
    if (written) {
        notices.record(ConfigNotice::Kind::unknownWhenMusicStops, std::string(kWhenMusicStopsKey), *written,
                       std::string(result.rawValue()));
    }
    if (clearWhenPaused) {
        notices.record(ConfigNotice::Kind::legacyKeyUsed, std::string(kClearWhenPausedKey),
                       booleanText(*clearWhenPaused), std::string(result.rawValue()));
    }
    return result;
}

std::string decodeStatusFormat(const JsonObjectReader& reader, const NoticeRecorder& notices) {
    const std::optional<std::string> written = reader.optionalString(kStatusFormatKey);
    if (written && !written->empty()) {
        if (notices.isWanted() && reader.value(kAppendArtistKey) != nullptr) {
            notices.record(ConfigNotice::Kind::legacyKeyIgnored, std::string(kAppendArtistKey),
                           jsonText(*reader.value(kAppendArtistKey)));
        }
        return *written;
    }
    const std::optional<bool> appendArtist = reader.optionalBool(kAppendArtistKey);
    std::string result(appendArtist.value_or(false) ? VibeConfig::legacyAppendArtistFormat
                                                    : VibeConfig::defaultStatusFormat);
    if (appendArtist) {
        notices.record(ConfigNotice::Kind::legacyKeyUsed, std::string(kAppendArtistKey), booleanText(*appendArtist),
                       result);
    }
    return result;
}

std::vector<PlayerSourceID> decodeSources(const JsonObjectReader& reader, const NoticeRecorder& notices) {
    const nlohmann::json* list = reader.optionalArray(kSourcesKey);
    if (list == nullptr) {
        return {VibeConfig::defaultSources.begin(), VibeConfig::defaultSources.end()};
    }
    const JsonPath listPath = reader.path().key(kSourcesKey);
    std::vector<PlayerSourceID> sources;
    for (std::size_t index = 0; index < list->size(); ++index) {
        const JsonPath elementPath = listPath.index(index);
        const std::string name = JsonObjectReader::stringValue((*list)[index], elementPath);
        const std::optional<PlayerSourceID> source = PlayerSourceID::fromRawValue(name);
        if (!source) {
            notices.record(ConfigNotice::Kind::unknownSource, elementPath.text(), name);
        } else if (std::find(sources.begin(), sources.end(), *source) != sources.end()) {
            notices.record(ConfigNotice::Kind::repeatedSource, elementPath.text(), name);
        } else {
            sources.push_back(*source);
        }
    }
    return sources;
}

StatusTheme decodeCustomTheme(const nlohmann::json& element, const JsonPath& path, const NoticeRecorder& notices) {
    StatusTheme theme = StatusTheme::fromJson(element, path);
    // An unknown transform reads as none; say so, since the file asked for something else.
    const auto written = element.find("transform");
    if (written != element.end() && written->is_string() && theme.transform.rawValue() != written->get<std::string>()) {
        notices.record(ConfigNotice::Kind::unknownTransform, path.key("transform").text(), written->get<std::string>(),
                       std::string(theme.transform.rawValue()));
    }
    return theme;
}

// A vibe may only point at a theme that exists; otherwise it follows the default theme.
void dropDanglingTheme(Vibe& vibe, const JsonPath& vibePath, const std::set<std::string, std::less<>>& knownThemeIDs,
                       const NoticeRecorder& notices) {
    if (vibe.themeID && knownThemeIDs.find(*vibe.themeID) == knownThemeIDs.end()) {
        notices.record(ConfigNotice::Kind::unknownVibeTheme, vibePath.key(kThemeKey).text(), *vibe.themeID);
        vibe.themeID.reset();
    }
}

} // namespace

VibeConfig VibeConfig::decode(std::string_view bytes) {
    return fromJson(parseJsonDocument(bytes));
}

VibeConfig VibeConfig::decode(std::string_view bytes, std::vector<ConfigNotice>& notices) {
    return fromJson(parseJsonDocument(bytes), &notices);
}

VibeConfig VibeConfig::fromJson(const nlohmann::json& json, std::vector<ConfigNotice>* noticeSink) {
    const JsonObjectReader reader(json, JsonPath());
    const NoticeRecorder notices(noticeSink);
    notices.recordUnknownKeys(json, reader.path(), isKnownConfigKey);

    // The keys are taken in a fixed order, so that of several faults the same one is always reported.
    VibeConfig config;
    config.slackAccounts =
        decodeList<SlackAccount>(reader, kSlackAccountsKey, [](const nlohmann::json& element, const JsonPath& path) {
            return SlackAccount::fromJson(element, path);
        });
    config.whenMusicStops = decodeWhenMusicStops(reader, notices);
    config.statusFormat = decodeStatusFormat(reader, notices);
    config.customThemes =
        decodeList<StatusTheme>(reader, kCustomThemesKey, [&](const nlohmann::json& element, const JsonPath& path) {
            return decodeCustomTheme(element, path, notices);
        });
    config.pollSeconds = reader.optionalInt(kPollSecondsKey).value_or(defaultPollSeconds);
    config.animateMenuBar = reader.optionalBool(kAnimateMenuBarKey).value_or(true);
    config.sources = decodeSources(reader, notices);

    const JsonPath defaultVibePath = reader.path().key(kDefaultVibeKey);
    if (const nlohmann::json* defaultVibe = reader.value(kDefaultVibeKey)) {
        notices.recordUnknownKeys(*defaultVibe, defaultVibePath, Vibe::isKnownKey);
        config.defaultVibe = Vibe::fromJson(*defaultVibe, defaultVibePath);
    }
    config.vibes = decodeList<Vibe>(reader, kVibesKey, [&](const nlohmann::json& element, const JsonPath& path) {
        notices.recordUnknownKeys(element, path, Vibe::isKnownKey);
        return Vibe::fromJson(element, path);
    });

    std::set<std::string, std::less<>> knownThemeIDs = StatusTheme::builtInIDs();
    for (const StatusTheme& custom : config.customThemes) {
        knownThemeIDs.insert(custom.id);
    }

    const std::optional<std::string> themeID = reader.optionalString(kThemeKey);
    if (themeID && knownThemeIDs.find(*themeID) != knownThemeIDs.end()) {
        config.themeID = *themeID;
    } else {
        if (themeID) {
            notices.record(ConfigNotice::Kind::unknownTheme, std::string(kThemeKey), *themeID,
                           std::string(plainThemeID));
        }
        config.themeID = std::string(plainThemeID);
    }

    const JsonPath vibesPath = reader.path().key(kVibesKey);
    for (std::size_t index = 0; index < config.vibes.size(); ++index) {
        dropDanglingTheme(config.vibes[index], vibesPath.index(index), knownThemeIDs, notices);
    }
    if (config.defaultVibe) {
        dropDanglingTheme(*config.defaultVibe, defaultVibePath, knownThemeIDs, notices);
    }
    return config;
}

nlohmann::json VibeConfig::toJson() const {
    nlohmann::json json = nlohmann::json::object();
    nlohmann::json accounts = nlohmann::json::array();
    for (const SlackAccount& account : slackAccounts) {
        accounts.push_back(account.toJson());
    }
    json[kSlackAccountsKey] = std::move(accounts);
    json[kWhenMusicStopsKey] = whenMusicStops.rawValue();
    json[kStatusFormatKey] = statusFormat;
    json[kThemeKey] = themeID;
    nlohmann::json themes = nlohmann::json::array();
    for (const StatusTheme& custom : customThemes) {
        themes.push_back(custom.toJson());
    }
    json[kCustomThemesKey] = std::move(themes);
    json[kPollSecondsKey] = pollSeconds;
    json[kAnimateMenuBarKey] = animateMenuBar;
    nlohmann::json sourceNames = nlohmann::json::array();
    for (const PlayerSourceID source : sources) {
        sourceNames.push_back(source.rawValue());
    }
    json[kSourcesKey] = std::move(sourceNames);
    if (defaultVibe) {
        json[kDefaultVibeKey] = defaultVibe->toJson();
    }
    nlohmann::json vibeList = nlohmann::json::array();
    for (const Vibe& vibe : vibes) {
        vibeList.push_back(vibe.toJson());
    }
    json[kVibesKey] = std::move(vibeList);
    return json;
}

std::string VibeConfig::encodedData() const {
    // nlohmann's objects are ordered maps, so the keys come out sorted at every level. Replacing bad UTF-8
    // instead of throwing keeps a save from failing over one malformed character.
    return toJson().dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::vector<StatusTheme> VibeConfig::allThemes() const {
    std::vector<StatusTheme> themes = StatusTheme::builtIns();
    themes.insert(themes.end(), customThemes.begin(), customThemes.end());
    return themes;
}

std::optional<StatusTheme> VibeConfig::theme(std::string_view withID) const {
    for (const StatusTheme& builtIn : StatusTheme::builtIns()) {
        if (builtIn.id == withID) {
            return builtIn;
        }
    }
    for (const StatusTheme& custom : customThemes) {
        if (custom.id == withID) {
            return custom;
        }
    }
    return std::nullopt;
}

StatusTheme VibeConfig::defaultTheme() const {
    return theme(themeID).value_or(StatusTheme::plain());
}

StatusTheme VibeConfig::resolvedTheme(const Vibe& vibe) const {
    if (vibe.themeID) {
        if (auto own = theme(*vibe.themeID)) {
            return std::move(*own);
        }
    }
    return defaultTheme();
}

std::string VibeConfig::resolvedTemplate(const Vibe& vibe) const {
    const StatusTheme resolved = resolvedTheme(vibe);
    return resolved.templateText ? *resolved.templateText : statusFormat;
}

} // namespace nimbrel
