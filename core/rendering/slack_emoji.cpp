#include "core/rendering/slack_emoji.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

#include "core/text/casing.h"
#include "core/text/graphemes.h"
#include "core/text/unicode_properties.h"
#include "core/text/utf8.h"
#include "core/text/whitespace.h"

namespace nimbrel {
namespace {

struct KnownShortcode {
    std::string_view shortcode;
    std::string_view glyph;
};

// Slack's standard shortcodes that Nimbrel knows the glyphs of. Several names share a glyph (Slack's own
// aliases, such as "thumbsup" and "+1"); where U+FE0F appears, Slack's glyph carries the variation selector.
constexpr KnownShortcode kKnownShortcodes[] = {
    {"headphones", "\U0001F3A7"},
    {"musical_note", "\U0001F3B5"},
    {"notes", "\U0001F3B6"},
    {"zap", "\u26A1\uFE0F"},
    {"thunder", "\u26A1\uFE0F"},
    {"coffee", "\u2615\uFE0F"},
    {"brain", "\U0001F9E0"},
    {"fire", "\U0001F525"},
    {"rocket", "\U0001F680"},
    {"metal", "\U0001F918"},
    {"the_horns", "\U0001F918"},
    {"sign_of_the_horns", "\U0001F918"},
    {"sunglasses", "\U0001F60E"},
    {"smile", "\U0001F604"},
    {"grinning", "\U0001F600"},
    {"thinking_face", "\U0001F914"},
    {"thought_balloon", "\U0001F4AD"},
    {"eyes", "\U0001F440"},
    {"ear", "\U0001F442"},
    {"mega", "\U0001F4E3"},
    {"loudspeaker", "\U0001F4E2"},
    {"speaker", "\U0001F508"},
    {"sound", "\U0001F509"},
    {"loud_sound", "\U0001F50A"},
    {"mute", "\U0001F507"},
    {"studio_microphone", "\U0001F399\uFE0F"},
    {"microphone", "\U0001F3A4"},
    {"guitar", "\U0001F3B8"},
    {"musical_keyboard", "\U0001F3B9"},
    {"drum", "\U0001F941"},
    {"violin", "\U0001F3BB"},
    {"saxophone", "\U0001F3B7"},
    {"trumpet", "\U0001F3BA"},
    {"radio", "\U0001F4FB"},
    {"cd", "\U0001F4BF"},
    {"floppy_disk", "\U0001F4BE"},
    {"computer", "\U0001F4BB"},
    {"desktop_computer", "\U0001F5A5\uFE0F"},
    {"keyboard", "\u2328\uFE0F"},
    {"hourglass_flowing_sand", "\u23F3"},
    {"hourglass", "\u231B\uFE0F"},
    {"alarm_clock", "\u23F0"},
    {"stopwatch", "\u23F1"},
    {"dart", "\U0001F3AF"},
    {"trophy", "\U0001F3C6"},
    {"medal", "\U0001F3C5"},
    {"star", "\u2B50\uFE0F"},
    {"sparkles", "\u2728"},
    {"boom", "\U0001F4A5"},
    {"collision", "\U0001F4A5"},
    {"dizzy", "\U0001F4AB"},
    {"palm_tree", "\U0001F334"},
    {"beach_with_umbrella", "\U0001F3D6"},
    {"sunrise", "\U0001F305"},
    {"city_sunset", "\U0001F306"},
    {"night_with_stars", "\U0001F303"},
    {"crescent_moon", "\U0001F319"},
    {"sunny", "\u2600\uFE0F"},
    {"cloud", "\u2601\uFE0F"},
    {"partly_sunny", "\u26C5\uFE0F"},
    {"rainbow", "\U0001F308"},
    {"ocean", "\U0001F30A"},
    {"herb", "\U0001F33F"},
    {"seedling", "\U0001F331"},
    {"leaves", "\U0001F343"},
    {"cherry_blossom", "\U0001F338"},
    {"hibiscus", "\U0001F33A"},
    {"tulip", "\U0001F337"},
    {"rose", "\U0001F339"},
    {"bouquet", "\U0001F490"},
    {"heart", "\u2764\uFE0F"},
    {"yellow_heart", "\U0001F49B"},
    {"green_heart", "\U0001F49A"},
    {"blue_heart", "\U0001F499"},
    {"purple_heart", "\U0001F49C"},
    {"black_heart", "\U0001F5A4"},
    {"white_heart", "\U0001F90D"},
    {"broken_heart", "\U0001F494"},
    {"ok_hand", "\U0001F44C"},
    {"thumbsup", "\U0001F44D"},
    {"+1", "\U0001F44D"},
    {"thumbsdown", "\U0001F44E"},
    {"-1", "\U0001F44E"},
    {"clap", "\U0001F44F"},
    {"wave", "\U0001F44B"},
    {"raised_hands", "\U0001F64C"},
    {"pray", "\U0001F64F"},
    {"muscle", "\U0001F4AA"},
    {"writing_hand", "\u270D\uFE0F"},
    {"point_up", "\u261D\uFE0F"},
    {"v", "\u270C\uFE0F"},
    {"peace_symbol", "\u262E\uFE0F"},
    {"yin_yang", "\u262F\uFE0F"},
    {"100", "\U0001F4AF"},
    {"sos", "\U0001F198"},
    {"warning", "\u26A0\uFE0F"},
    {"no_entry", "\u26D4"},
    {"x", "\u274C"},
    {"white_check_mark", "\u2705"},
    {"heavy_check_mark", "\u2714\uFE0F"},
    {"ballot_box_with_check", "\u2611\uFE0F"},
    {"speech_balloon", "\U0001F4AC"},
    {"left_speech_bubble", "\U0001F5E8"},
    {"zzz", "\U0001F4A4"},
    {"sleeping", "\U0001F634"},
    {"sleepy", "\U0001F62A"},
    {"nerd_face", "\U0001F913"},
    {"face_with_monocle", "\U0001F9D0"},
    {"cowboy_hat_face", "\U0001F920"},
    {"partying_face", "\U0001F973"},
    {"smiling_face_with_horns", "\U0001F608"},
    {"ghost", "\U0001F47B"},
    {"skull", "\U0001F480"},
    {"robot_face", "\U0001F916"},
    {"alien", "\U0001F47D"},
    {"space_invader", "\U0001F47E"},
    {"video_game", "\U0001F3AE"},
    {"joystick", "\U0001F579"},
    {"hammer_and_wrench", "\U0001F6E0"},
    {"wrench", "\U0001F527"},
    {"gear", "\u2699\uFE0F"},
    {"link", "\U0001F517"},
    {"lock", "\U0001F512"},
    {"unlock", "\U0001F513"},
    {"key", "\U0001F511"},
    {"mag", "\U0001F50D"},
    {"bulb", "\U0001F4A1"},
    {"flashlight", "\U0001F526"},
    {"candle", "\U0001F56F"},
    {"books", "\U0001F4DA"},
    {"book", "\U0001F4D6"},
    {"memo", "\U0001F4DD"},
    {"pencil2", "\u270F\uFE0F"},
    {"pushpin", "\U0001F4CC"},
    {"round_pushpin", "\U0001F4CD"},
    {"paperclip", "\U0001F4CE"},
    {"briefcase", "\U0001F4BC"},
    {"chart_with_upwards_trend", "\U0001F4C8"},
    {"chart_with_downwards_trend", "\U0001F4C9"},
    {"bar_chart", "\U0001F4CA"},
    {"moneybag", "\U0001F4B0"},
    {"dollar", "\U0001F4B5"},
    {"credit_card", "\U0001F4B3"},
    {"gem", "\U0001F48E"},
    {"ring", "\U0001F48D"},
    {"crown", "\U0001F451"},
    {"tada", "\U0001F389"},
    {"confetti_ball", "\U0001F38A"},
    {"balloon", "\U0001F388"},
    {"gift", "\U0001F381"},
    {"christmas_tree", "\U0001F384"},
    {"jack_o_lantern", "\U0001F383"},
    {"snowflake", "\u2744\uFE0F"},
    {"snowman", "\u2603\uFE0F"},
    {"fireworks", "\U0001F386"},
    {"sparkler", "\U0001F387"},
};

struct CuratedEntry {
    std::string_view shortcode;
    SlackEmoji::Category category;
    // At most four search words; unused places stay empty.
    std::array<std::string_view, 4> aliases;
};

// The picker's choice, in display order within each tab. Glyphs come from the table above so that a
// shortcode can never show two different glyphs.
const CuratedEntry kCurated[] = {
    {"headphones", SlackEmoji::Category::music, {"listening", "music"}},
    {"musical_note", SlackEmoji::Category::music, {"note", "music"}},
    {"notes", SlackEmoji::Category::music, {"music"}},
    {"guitar", SlackEmoji::Category::music, {"rock"}},
    {"musical_keyboard", SlackEmoji::Category::music, {"piano", "keys"}},
    {"drum", SlackEmoji::Category::music, {"drums", "beat"}},
    {"microphone", SlackEmoji::Category::music, {"mic", "sing", "vocals"}},
    {"studio_microphone", SlackEmoji::Category::music, {"podcast", "mic"}},
    {"trumpet", SlackEmoji::Category::music, {"jazz", "brass"}},
    {"saxophone", SlackEmoji::Category::music, {"jazz"}},
    {"violin", SlackEmoji::Category::music, {"strings", "classical"}},
    {"radio", SlackEmoji::Category::music, {}},
    {"cd", SlackEmoji::Category::music, {"disc", "album"}},
    {"the_horns", SlackEmoji::Category::mood, {"metal", "rock", "horns", "sign_of_the_horns"}},
    {"zap", SlackEmoji::Category::mood, {"thunder", "lightning", "electric", "energy"}},
    {"fire", SlackEmoji::Category::mood, {"lit", "hot"}},
    {"coffee", SlackEmoji::Category::mood, {"chill", "tea", "cafe"}},
    {"sunglasses", SlackEmoji::Category::mood, {"cool"}},
    {"partying_face", SlackEmoji::Category::mood, {"party", "celebrate"}},
    {"sleeping", SlackEmoji::Category::mood, {"sleep", "tired"}},
    {"zzz", SlackEmoji::Category::mood, {"sleep", "afk"}},
    {"sparkles", SlackEmoji::Category::mood, {"shiny"}},
    {"boom", SlackEmoji::Category::mood, {"explosion"}},
    {"star", SlackEmoji::Category::mood, {}},
    {"brain", SlackEmoji::Category::focus, {"focus", "think", "deep"}},
    {"dart", SlackEmoji::Category::focus, {"target", "focus", "goal"}},
    {"rocket", SlackEmoji::Category::focus, {"ship", "launch", "gsd"}},
    {"computer", SlackEmoji::Category::focus, {"laptop", "coding"}},
    {"keyboard", SlackEmoji::Category::focus, {"typing"}},
    {"thinking_face", SlackEmoji::Category::focus, {"think", "hmm"}},
    {"nerd_face", SlackEmoji::Category::focus, {"study"}},
    {"hourglass_flowing_sand", SlackEmoji::Category::focus, {"time", "wait"}},
    {"alarm_clock", SlackEmoji::Category::focus, {"time"}},
    {"books", SlackEmoji::Category::focus, {"study", "reading"}},
    {"memo", SlackEmoji::Category::focus, {"notes", "writing"}},
    {"trophy", SlackEmoji::Category::focus, {"win"}},
    {"palm_tree", SlackEmoji::Category::nature, {"beach", "vacation"}},
    {"ocean", SlackEmoji::Category::nature, {"wave", "sea"}},
    {"crescent_moon", SlackEmoji::Category::nature, {"night", "moon"}},
    {"sunny", SlackEmoji::Category::nature, {"sun", "day"}},
    {"rainbow", SlackEmoji::Category::nature, {}},
    {"herb", SlackEmoji::Category::nature, {"plant", "green"}},
    {"leaves", SlackEmoji::Category::nature, {"wind", "green"}},
    {"100", SlackEmoji::Category::symbols, {"hundred", "perfect"}},
    {"white_check_mark", SlackEmoji::Category::symbols, {"done", "check"}},
    {"bulb", SlackEmoji::Category::symbols, {"idea"}},
    {"lock", SlackEmoji::Category::symbols, {"focus", "dnd"}},
    {"eyes", SlackEmoji::Category::symbols, {"looking"}},
    {"tada", SlackEmoji::Category::symbols, {"party", "celebrate"}},
    {"video_game", SlackEmoji::Category::symbols, {"gaming", "play"}},
    {"robot_face", SlackEmoji::Category::symbols, {"bot", "ai"}},
    {"ghost", SlackEmoji::Category::symbols, {"boo"}},
};

// A shortcode's name: letters and numbers of any script, and the three punctuation marks Slack allows.
bool isShortcodeName(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (const std::string_view character : Graphemes::split(text)) {
        if (character == "_" || character == "+" || character == "-") {
            continue;
        }
        if (!UnicodeProperties::isLetter(character) && !UnicodeProperties::isNumber(character)) {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<SlackEmoji::Category> SlackEmoji::Category::fromRawValue(std::string_view rawValue) noexcept {
    for (const Category category : allCases()) {
        if (category.rawValue() == rawValue) {
            return category;
        }
    }
    return std::nullopt;
}

std::string_view SlackEmoji::Category::rawValue() const noexcept {
    switch (m_value) {
    case music:
        return "Music";
    case mood:
        return "Mood";
    case focus:
        return "Focus & work";
    case nature:
        return "Nature & time";
    case symbols:
        return "Symbols";
    }
    return "Music";
}

std::string SlackEmoji::Entry::colonized() const {
    return ":" + shortcode + ":";
}

bool SlackEmoji::Entry::matches(std::string_view query) const {
    const std::string needle = Casing::lowercased(Whitespace::trimmed(query));
    if (needle.empty()) {
        return true;
    }
    if (shortcode.find(needle) != std::string::npos) {
        return true;
    }
    return std::any_of(aliases.begin(), aliases.end(),
                       [&needle](const std::string& alias) { return alias.find(needle) != std::string::npos; });
}

const std::map<std::string, std::string, std::less<>>& SlackEmoji::knownShortcodes() {
    static const auto* const table = [] {
        auto* built = new std::map<std::string, std::string, std::less<>>();
        for (const KnownShortcode& known : kKnownShortcodes) {
            built->emplace(known.shortcode, known.glyph);
        }
        return built;
    }();
    return *table;
}

const std::vector<SlackEmoji::Entry>& SlackEmoji::curated() {
    static const auto* const entries = [] {
        auto* built = new std::vector<Entry>();
        built->reserve(std::size(kCurated));
        for (const CuratedEntry& curatedEntry : kCurated) {
            Entry entry;
            entry.shortcode = std::string(curatedEntry.shortcode);
            entry.glyph = knownShortcodes().at(entry.shortcode);
            entry.category = curatedEntry.category;
            for (const std::string_view alias : curatedEntry.aliases) {
                if (!alias.empty()) {
                    entry.aliases.emplace_back(alias);
                }
            }
            built->push_back(std::move(entry));
        }
        return built;
    }();
    return *entries;
}

std::string SlackEmoji::normalize(std::string_view emoji) {
    std::string_view text = Whitespace::trimmed(emoji);
    // Only one colon comes off each end, and only when there is something between them: "::" stays.
    if (text.size() >= 2 && text.front() == ':' && text.back() == ':' && Graphemes::count(text) >= 3) {
        text = text.substr(1, text.size() - 2);
    }
    return Casing::lowercased(text);
}

std::optional<std::string> SlackEmoji::glyph(std::string_view shortcode) {
    const std::string normalized = normalize(shortcode);
    if (normalized.empty()) {
        return std::nullopt;
    }
    const auto& table = knownShortcodes();
    if (const auto found = table.find(normalized); found != table.end()) {
        return found->second;
    }
    return std::nullopt;
}

std::string SlackEmoji::display(std::string_view emoji) {
    const std::string_view trimmed = Whitespace::trimmed(emoji);
    if (trimmed.empty()) {
        return {};
    }
    if (std::optional<std::string> known = glyph(trimmed)) {
        return std::move(*known);
    }
    return std::string(trimmed);
}

std::optional<std::string> SlackEmoji::menuBarGlyph(std::string_view emoji) {
    const std::string_view trimmed = Whitespace::trimmed(emoji);
    if (trimmed.empty()) {
        return std::nullopt;
    }
    if (std::optional<std::string> known = glyph(trimmed)) {
        return known;
    }
    const char32_t first = Utf8::firstScalar(trimmed);
    if (UnicodeProperties::isEmojiPresentation(first)) {
        return std::string(trimmed);
    }
    // Digits, "#" and "*" carry the Emoji property too; only a variation selector makes them pictures.
    constexpr std::string_view kEmojiVariationSelector = "\uFE0F";
    if (UnicodeProperties::isEmoji(first) && trimmed.find(kEmojiVariationSelector) != std::string_view::npos) {
        return std::string(trimmed);
    }
    return std::nullopt;
}

bool SlackEmoji::looksLikeShortcode(std::string_view text) {
    const std::string normalized = normalize(text);
    if (!isShortcodeName(normalized)) {
        return false;
    }
    if (text.find(':') != std::string_view::npos) {
        return true;
    }
    return knownShortcodes().contains(normalized);
}

bool SlackEmoji::isKnown(std::string_view shortcode, const Workspace& workspace) {
    const std::string normalized = normalize(shortcode);
    if (normalized.empty()) {
        return false;
    }
    return knownShortcodes().contains(normalized) || workspace.contains(normalized);
}

std::string SlackEmoji::canonicalizingShortcodes(std::string_view text) {
    if (text.find(':') == std::string_view::npos) {
        return std::string(text);
    }
    const auto& table = knownShortcodes();
    std::string out;
    out.reserve(text.size());
    std::size_t position = 0;
    while (position < text.size()) {
        const std::size_t open = text.find(':', position);
        if (open == std::string_view::npos) {
            out.append(text.substr(position));
            break;
        }
        out.append(text.substr(position, open - position));
        const std::size_t close = text.find(':', open + 1);
        if (close == std::string_view::npos) {
            out.append(text.substr(open));
            break;
        }
        const std::string_view candidate = text.substr(open + 1, close - open - 1);
        if (isShortcodeName(candidate)) {
            if (const auto found = table.find(Casing::lowercased(candidate)); found != table.end()) {
                out.append(found->second);
                position = close + 1;
                continue;
            }
        }
        // Not a known shortcode: keep the colon and let the closing one start the next candidate, so that
        // "3:2 :zap:" still finds ":zap:".
        out.push_back(':');
        position = open + 1;
    }
    return out;
}

} // namespace nimbrel
