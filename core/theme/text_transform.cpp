#include "core/theme/text_transform.h"

#include <array>

#include "core/text/casing.h"
#include "core/text/graphemes.h"
#include "core/text/unicode_properties.h"
#include "core/text/utf8.h"

namespace nimbrel {
namespace {

struct LeetReplacement {
    std::string_view letter;
    char digit;
};

constexpr std::array<LeetReplacement, 7> kLeetTable = {{
    {"a", '4'},
    {"b", '8'},
    {"e", '3'},
    {"i", '1'},
    {"o", '0'},
    {"s", '5'},
    {"t", '7'},
}};

// Zalgo's marks cycle through seven above and six below, so the pattern of pairs repeats every 42
// characters; fixed marks keep a status identical from one write to the next.
constexpr std::array<char32_t, 7> kZalgoAbove = {0x0300, 0x0301, 0x0302, 0x0303, 0x0308, 0x030A, 0x0307};
constexpr std::array<char32_t, 6> kZalgoBelow = {0x0316, 0x0317, 0x0323, 0x0324, 0x0330, 0x0332};

constexpr char32_t kIdeographicSpace = 0x3000;
constexpr char32_t kFullwidthOffset = 0xFEE0;

} // namespace

TextTransform TextTransform::fromRawValue(std::string_view rawValue) noexcept {
    for (const TextTransform transform : allCases()) {
        if (transform.rawValue() == rawValue) {
            return transform;
        }
    }
    return none;
}

std::string_view TextTransform::rawValue() const noexcept {
    switch (m_value) {
    case none:
        return "none";
    case alternatingCaps:
        return "alternating_caps";
    case leet:
        return "leet";
    case zalgo:
        return "zalgo";
    case vaporwave:
        return "vaporwave";
    }
    return {};
}

std::string_view TextTransform::displayName() const noexcept {
    switch (m_value) {
    case none:
        return "None";
    case alternatingCaps:
        return "AlTeRnAtInG";
    case leet:
        return "l337";
    case zalgo:
        return "Glitch (Zalgo)";
    case vaporwave:
        return "Vaporwave";
    }
    return {};
}

std::string_view TextTransform::summary() const noexcept {
    switch (m_value) {
    case none:
        return "Leave the letters as they are.";
    case alternatingCaps:
        return "aLtErNaTiNg upper- and lower-case letters.";
    case leet:
        return "Sw4ps l3tt3rs f0r numb3r5 \u2014 y2k l337speak.";
    case zalgo:
        return "Glitchy combining marks. Kept subtle so it still fits Slack\u2019s limit.";
    case vaporwave:
        return "\uFF26\uFF55\uFF4C\uFF4C\uFF57\uFF49\uFF44\uFF54\uFF48 vaporwave characters. Some Slack clients show "
               "boxes instead.";
    }
    return {};
}

std::string TextTransform::apply(std::string_view text) const {
    switch (m_value) {
    case none:
        return std::string(text);
    case alternatingCaps:
        return applyAlternatingCaps(text);
    case leet:
        return applyLeet(text);
    case zalgo:
        return applyZalgo(text);
    case vaporwave:
        return applyVaporwave(text);
    }
    return std::string(text);
}

std::string TextTransform::applyAlternatingCaps(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t letters = 0;
    for (const std::string_view character : Graphemes::split(text)) {
        if (!UnicodeProperties::isLetter(character)) {
            out.append(character);
            continue;
        }
        out.append(letters % 2 == 0 ? Casing::uppercased(character) : Casing::lowercased(character));
        ++letters;
    }
    return out;
}

std::string TextTransform::applyLeet(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const std::string_view character : Graphemes::split(text)) {
        const std::string lower = Casing::lowercased(character);
        const std::string_view key = lower.empty() ? character : Graphemes::prefix(lower, 1);
        char replacement = 0;
        for (const LeetReplacement& entry : kLeetTable) {
            if (entry.letter == key) {
                replacement = entry.digit;
                break;
            }
        }
        if (replacement != 0) {
            out.push_back(replacement);
        } else {
            out.append(character);
        }
    }
    return out;
}

std::string TextTransform::applyZalgo(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    std::size_t marked = 0;
    for (const std::string_view character : Graphemes::split(text)) {
        out.append(character);
        // Marks after a control character (NUL, a zero-width space…) would not join it but stand as
        // characters of their own, breaking the promise that the transform keeps the length.
        if (UnicodeProperties::isWhitespace(character) ||
            UnicodeProperties::isGraphemeControl(Utf8::firstScalar(character))) {
            continue;
        }
        Utf8::append(out, kZalgoAbove[marked % kZalgoAbove.size()]);
        Utf8::append(out, kZalgoBelow[marked % kZalgoBelow.size()]);
        ++marked;
    }
    return out;
}

std::string TextTransform::applyVaporwave(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (std::size_t offset = 0; offset < text.size();) {
        const char32_t scalar = Utf8::decodeNext(text, offset);
        if (scalar == U' ') {
            Utf8::append(out, kIdeographicSpace);
        } else if (scalar >= 0x21 && scalar <= 0x7E) {
            Utf8::append(out, scalar + kFullwidthOffset);
        } else {
            Utf8::append(out, scalar);
        }
    }
    return out;
}

} // namespace nimbrel
