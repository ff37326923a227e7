#include "core/theme/status_theme.h"

#include <cassert>
#include <cstdint>

#include <nlohmann/json.hpp>

#include "core/text/casing.h"
#include "core/text/graphemes.h"
#include "core/text/unicode_properties.h"
#include "core/text/whitespace.h"

namespace nimbrel {
namespace {

constexpr std::size_t kUniqueIDMaxCharacters = 40;

StatusTheme decoration(std::string id, std::string name, std::string prefix, std::string suffix, std::string summary) {
    return StatusTheme{std::move(id),       std::move(name), std::move(prefix), std::move(suffix),
                       TextTransform::none, std::nullopt,    std::move(summary)};
}

StatusTheme transformTheme(std::string id, TextTransform transform) {
    return StatusTheme{std::move(id), std::string(transform.displayName()), {}, {}, transform,
                       std::nullopt,  std::string(transform.summary())};
}

std::vector<StatusTheme> makeBuiltIns() {
    std::string devoPrefix(StatusTheme::devoCat);
    devoPrefix.append(" \u266A ");
    return {
        decoration("plain", "Plain", "", "", "No transform \u2014 your status text exactly as rendered."),
        decoration("msn_nick", "MSN Nick", "\u00A4\u00BA\u00B0~ ", " ~\u00B0\u00BA\u00A4",
                   "The 2003 display-name frame: \u00A4\u00BA\u00B0~ your status ~\u00B0\u00BA\u00A4."),
        transformTheme("alternating_caps", TextTransform::alternatingCaps),
        transformTheme("leet", TextTransform::leet),
        transformTheme("zalgo", TextTransform::zalgo),
        transformTheme("vaporwave", TextTransform::vaporwave),
        decoration("devo_dj", "Devo DJ", devoPrefix, " \u266A",
                   "Devo is DJing \u2014 the same cat as your menu bar, with the notes."),
        decoration("sparkles", "Sparkles", "\u2727 (^_^)/ ", " \\(^_^) \u2727",
                   "Kaomoji sparkles \u2014 waves at your status from both ends."),
        decoration("sparkle_throw", "Sparkle Throw", "(\u30CE\u25D5\u30EE\u25D5)\u30CE*:\u30FB\u309A\u2727 ", "",
                   "Throws sparkles at your status and walks off."),
        decoration("twinkle", "Twinkle", "\u00B0\u2727 ", " \u2727\u00B0", "Sparkles, but only 6 characters of them."),
        decoration("emo", "Emo", "\u2665\u2563[-_-]\u2560\u2665 ", "",
                   "Peak 2005 MySpace: \u2665\u2563[-_-]\u2560\u2665 \u2014 nobody understands your music."),
        decoration("scene", "Scene", "xX_", "_Xx", "xX_scene kid_Xx. Pure ASCII, renders anywhere."),
        decoration("dagger", "Dagger", "\u2020 ", " \u2020",
                   "\u2020 one dagger either side \u2020. Restrained, for a funeral."),
        decoration("despair", "Despair", "(\u2565_\u2565) ", "",
                   "(\u2565_\u2565) this song is doing something to you."),
        decoration("shrug", "Shrug", "", " \u00AF\\_(\u30C4)_/\u00AF",
                   "\u00AF\\_(\u30C4)_/\u00AF \u2014 the same shrug Slack\u2019s own /shrug sends."),
    };
}

enum BuiltInIndex : std::size_t {
    kPlain,
    kMsnNick,
    kAlternatingCaps,
    kLeet,
    kZalgo,
    kVaporwave,
    kDevoDJ,
    kSparkles,
    kSparkleThrow,
    kTwinkle,
    kEmo,
    kScene,
    kDagger,
    kDespair,
    kShrug,
};

} // namespace

const std::vector<StatusTheme>& StatusTheme::builtIns() {
    static const std::vector<StatusTheme> themes = makeBuiltIns();
    return themes;
}

const std::set<std::string, std::less<>>& StatusTheme::builtInIDs() {
    static const std::set<std::string, std::less<>> ids = [] {
        std::set<std::string, std::less<>> collected;
        for (const StatusTheme& theme : builtIns()) {
            collected.insert(theme.id);
        }
        return collected;
    }();
    return ids;
}

const StatusTheme& StatusTheme::builtIn(std::string_view id) {
    for (const StatusTheme& theme : builtIns()) {
        if (theme.id == id) {
            return theme;
        }
    }
    // Callers pass ids from the table; anything else is a programming error. Answer "plain" rather than
    // crash in a release build.
    assert(false && "StatusTheme::builtIn called with an unknown id");
    return plain();
}

const StatusTheme& StatusTheme::plain() {
    return builtIns()[kPlain];
}
const StatusTheme& StatusTheme::msnNick() {
    return builtIns()[kMsnNick];
}
const StatusTheme& StatusTheme::alternatingCaps() {
    return builtIns()[kAlternatingCaps];
}
const StatusTheme& StatusTheme::leet() {
    return builtIns()[kLeet];
}
const StatusTheme& StatusTheme::zalgo() {
    return builtIns()[kZalgo];
}
const StatusTheme& StatusTheme::vaporwave() {
    return builtIns()[kVaporwave];
}
const StatusTheme& StatusTheme::devoDJ() {
    return builtIns()[kDevoDJ];
}
const StatusTheme& StatusTheme::sparkles() {
    return builtIns()[kSparkles];
}
const StatusTheme& StatusTheme::sparkleThrow() {
    return builtIns()[kSparkleThrow];
}
const StatusTheme& StatusTheme::twinkle() {
    return builtIns()[kTwinkle];
}
const StatusTheme& StatusTheme::emo() {
    return builtIns()[kEmo];
}
const StatusTheme& StatusTheme::scene() {
    return builtIns()[kScene];
}
const StatusTheme& StatusTheme::dagger() {
    return builtIns()[kDagger];
}
const StatusTheme& StatusTheme::despair() {
    return builtIns()[kDespair];
}
const StatusTheme& StatusTheme::shrug() {
    return builtIns()[kShrug];
}

std::string StatusTheme::uniqueID(std::string_view basedOn, const std::set<std::string, std::less<>>& existing) {
    const std::string lowered = Casing::lowercased(basedOn);
    std::string collapsed;
    for (const std::string_view character : Graphemes::split(lowered)) {
        if (UnicodeProperties::isLetter(character) || UnicodeProperties::isNumber(character)) {
            collapsed.append(character);
        } else if (!collapsed.empty() && collapsed.back() != '-') {
            collapsed.push_back('-');
        }
    }
    while (!collapsed.empty() && collapsed.back() == '-') {
        collapsed.pop_back();
    }
    // Leading dashes cannot occur: a dash is only added after something else.
    const std::string base =
        collapsed.empty() ? std::string("theme") : std::string(Graphemes::prefix(collapsed, kUniqueIDMaxCharacters));
    if (!existing.contains(base)) {
        return base;
    }
    for (std::uint64_t suffix = 2;; ++suffix) {
        std::string candidate = base + "-" + std::to_string(suffix);
        if (!existing.contains(candidate)) {
            return candidate;
        }
    }
}

bool StatusTheme::isBuiltIn() const {
    return builtInIDs().contains(id);
}

std::size_t StatusTheme::decorationCount() const {
    return Graphemes::count(prefix) + Graphemes::count(suffix);
}

std::string StatusTheme::apply(std::string_view body, int limit) const {
    if (limit < 1) {
        return {};
    }
    const auto clamp = [limit](std::string_view text) {
        return Graphemes::clamped(text, static_cast<std::size_t>(limit));
    };
    const std::string transformed = transform.apply(body);
    if (prefix.empty() && suffix.empty()) {
        return clamp(transformed);
    }
    const auto decoration = static_cast<std::int64_t>(decorationCount());
    const auto bodyLength = static_cast<std::int64_t>(Graphemes::count(transformed));
    std::string result = prefix;
    if (decoration + bodyLength <= limit) {
        result.append(transformed);
    } else if (const std::int64_t room = limit - decoration - 1; room >= 1) {
        // The decoration is what makes the theme; the body gives way.
        result.append(Whitespace::droppingTrailing(Graphemes::prefix(transformed, static_cast<std::size_t>(room))));
        result.append(Graphemes::kEllipsis);
    }
    result.append(suffix);
    return clamp(result);
}

StatusTheme StatusTheme::fromJson(const nlohmann::json& json, const JsonPath& path) {
    const JsonObjectReader reader(json, path);
    StatusTheme theme;
    theme.id = reader.requiredString("id");
    theme.name = reader.requiredString("name");
    theme.prefix = reader.optionalString("prefix").value_or("");
    theme.suffix = reader.optionalString("suffix").value_or("");
    if (const std::optional<std::string> transform = reader.optionalString("transform")) {
        theme.transform = TextTransform::fromRawValue(*transform);
    }
    theme.templateText = reader.optionalString("template");
    return theme;
}

nlohmann::json StatusTheme::toJson() const {
    nlohmann::json json = {{"id", id}, {"name", name}};
    if (!prefix.empty()) {
        json["prefix"] = prefix;
    }
    if (!suffix.empty()) {
        json["suffix"] = suffix;
    }
    if (transform != TextTransform::none) {
        json["transform"] = transform.rawValue();
    }
    if (templateText) {
        json["template"] = *templateText;
    }
    return json;
}

} // namespace nimbrel
