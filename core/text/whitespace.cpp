#include "core/text/whitespace.h"

#include <string>

#include "core/text/graphemes.h"
#include "core/text/unicode_properties.h"
#include "core/text/utf8.h"

namespace nimbrel {
namespace {

template <typename IsTrimmed>
std::string_view trimScalars(std::string_view text, IsTrimmed&& isTrimmed) {
    // Leading: decode forward until a scalar that stays.
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t next = start;
        if (!isTrimmed(Utf8::decodeNext(text, next))) {
            break;
        }
        start = next;
    }
    // Trailing: remember where the last kept scalar ends.
    std::size_t end = start;
    for (std::size_t offset = start; offset < text.size();) {
        if (!isTrimmed(Utf8::decodeNext(text, offset))) {
            end = offset;
        }
    }
    return text.substr(start, end - start);
}

} // namespace

std::string_view Whitespace::trimmed(std::string_view text) {
    return trimScalars(text, [](char32_t scalar) { return UnicodeProperties::isWhitespace(scalar); });
}

std::string_view Whitespace::trimmedSpacesAndTabs(std::string_view text) {
    return trimScalars(text, [](char32_t scalar) { return UnicodeProperties::isSpaceOrTab(scalar); });
}

std::string_view Whitespace::droppingTrailing(std::string_view text) {
    const std::vector<std::string_view> characters = Graphemes::split(text);
    std::size_t end = text.size();
    for (auto it = characters.rbegin(); it != characters.rend() && UnicodeProperties::isWhitespace(*it); ++it) {
        end -= it->size();
    }
    return text.substr(0, end);
}

std::vector<std::string_view> Whitespace::split(std::string_view text) {
    std::vector<std::string_view> pieces;
    std::size_t pieceStart = 0;
    std::size_t offset = 0;
    for (const std::string_view character : Graphemes::split(text)) {
        if (UnicodeProperties::isWhitespace(character)) {
            if (offset > pieceStart) {
                pieces.push_back(text.substr(pieceStart, offset - pieceStart));
            }
            pieceStart = offset + character.size();
        }
        offset += character.size();
    }
    if (offset > pieceStart) {
        pieces.push_back(text.substr(pieceStart, offset - pieceStart));
    }
    return pieces;
}

std::string Whitespace::collapsed(std::string_view text) {
    std::string joined;
    joined.reserve(text.size());
    for (const std::string_view piece : split(text)) {
        if (!joined.empty()) {
            joined.push_back(' ');
        }
        joined.append(piece);
    }
    return joined;
}

} // namespace nimbrel
