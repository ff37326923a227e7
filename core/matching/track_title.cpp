#include "core/matching/track_title.h"

#include <algorithm>
#include <vector>

#include "core/text/casing.h"
#include "core/text/graphemes.h"
#include "core/text/unicode_properties.h"
#include "core/text/whitespace.h"

namespace nimbrel {
namespace {

// The words of a text: maximal runs of letters and numbers; everything else separates them.
std::vector<std::string_view> words(std::string_view text) {
    std::vector<std::string_view> found;
    std::size_t wordStart = 0;
    std::size_t offset = 0;
    for (const std::string_view character : Graphemes::split(text)) {
        if (!UnicodeProperties::isLetter(character) && !UnicodeProperties::isNumber(character)) {
            if (offset > wordStart) {
                found.push_back(text.substr(wordStart, offset - wordStart));
            }
            wordStart = offset + character.size();
        }
        offset += character.size();
    }
    if (offset > wordStart) {
        found.push_back(text.substr(wordStart, offset - wordStart));
    }
    return found;
}

bool isOpeningBracket(std::string_view character) {
    return character == "(" || character == "[";
}

bool isClosingBracket(std::string_view character) {
    return character == ")" || character == "]";
}

// Drops bracket groups that are descriptors. A kept group is written back with the bracket pair of the
// character that closed it. A stray closing bracket sends the depth below zero on purpose: from then on
// groups are kept as plain text, which is the safe reading of a title we cannot parse.
std::string strippingDescriptorGroups(std::string_view title) {
    std::string output;
    std::string group;
    int depth = 0;
    for (const std::string_view character : Graphemes::split(title)) {
        if (isOpeningBracket(character)) {
            ++depth;
            if (depth == 1) {
                group.clear();
            } else if (depth > 1) {
                group.append(character);
            } else {
                output.append(character);
            }
            continue;
        }
        if (isClosingBracket(character)) {
            --depth;
            if (depth == 0) {
                if (!TrackTitle::isDescriptor(group)) {
                    const bool square = character == "]";
                    output.push_back(square ? '[' : '(');
                    output.append(group);
                    output.push_back(square ? ']' : ')');
                }
                group.clear();
                continue;
            }
        }
        if (depth >= 1) {
            group.append(character);
        } else {
            output.append(character);
        }
    }
    if (depth >= 1) {
        output.append(group);
    }
    return Whitespace::collapsed(output);
}

} // namespace

const std::set<std::string, std::less<>>& TrackTitle::versionWords() {
    static const std::set<std::string, std::less<>> kWords = {
        "remix",   "remixes", "remaster", "remastered", "live", "acoustic", "instrumental",
        "version", "mix",     "edit",     "demo",       "mono", "stereo",   "bootleg",
        "rework",  "vip",     "reprise",  "edition",    "dub",  "extended", "radio",
    };
    return kWords;
}

const std::set<std::string, std::less<>>& TrackTitle::featuringWords() {
    static const std::set<std::string, std::less<>> kWords = {"feat", "ft", "featuring", "with"};
    return kWords;
}

bool TrackTitle::isDescriptor(std::string_view text) {
    const std::string lowered = Casing::lowercased(text);
    const std::vector<std::string_view> found = words(lowered);
    if (found.empty()) {
        return false;
    }
    if (featuringWords().contains(found.front())) {
        return true;
    }
    const auto& versions = versionWords();
    return std::any_of(found.begin(), found.end(),
                       [&versions](std::string_view word) { return versions.contains(word); });
}

std::string TrackTitle::forLookup(std::string_view title) {
    const std::string stripped = strippingDescriptorGroups(title);
    std::string_view cleaned = stripped;
    // Only the first " - " counts, and only a hyphen-minus: en and em dashes are often part of a title.
    constexpr std::string_view kSeparator = " - ";
    if (const std::size_t dash = cleaned.find(kSeparator); dash != std::string_view::npos) {
        if (isDescriptor(cleaned.substr(dash + kSeparator.size()))) {
            cleaned = cleaned.substr(0, dash);
        }
    }
    return std::string(Whitespace::trimmedSpacesAndTabs(cleaned));
}

} // namespace nimbrel
