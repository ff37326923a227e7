#include "core/text/unicode_properties.h"

#include <unicode/uchar.h>

#include "core/text/utf8.h"

namespace nimbrel {
namespace {

UChar32 icuScalar(char32_t scalar) {
    return static_cast<UChar32>(scalar);
}

} // namespace

bool UnicodeProperties::isLetter(char32_t scalar) {
    return u_hasBinaryProperty(icuScalar(scalar), UCHAR_ALPHABETIC) != 0;
}

bool UnicodeProperties::isLetter(std::string_view character) {
    return !character.empty() && isLetter(Utf8::firstScalar(character));
}

bool UnicodeProperties::isNumber(char32_t scalar) {
    return u_getIntPropertyValue(icuScalar(scalar), UCHAR_NUMERIC_TYPE) != U_NT_NONE;
}

bool UnicodeProperties::isNumber(std::string_view character) {
    return !character.empty() && isNumber(Utf8::firstScalar(character));
}

bool UnicodeProperties::isWhitespace(char32_t scalar) {
    return u_isUWhiteSpace(icuScalar(scalar)) != 0;
}

bool UnicodeProperties::isWhitespace(std::string_view character) {
    return !character.empty() && isWhitespace(Utf8::firstScalar(character));
}

bool UnicodeProperties::isSpaceOrTab(char32_t scalar) {
    return scalar == U'\t' || u_charType(icuScalar(scalar)) == U_SPACE_SEPARATOR;
}

bool UnicodeProperties::isEmoji(char32_t scalar) {
    return u_hasBinaryProperty(icuScalar(scalar), UCHAR_EMOJI) != 0;
}

bool UnicodeProperties::isEmojiPresentation(char32_t scalar) {
    return u_hasBinaryProperty(icuScalar(scalar), UCHAR_EMOJI_PRESENTATION) != 0;
}

bool UnicodeProperties::isGraphemeControl(char32_t scalar) {
    const auto value = u_getIntPropertyValue(icuScalar(scalar), UCHAR_GRAPHEME_CLUSTER_BREAK);
    return value == U_GCB_CONTROL || value == U_GCB_CR || value == U_GCB_LF;
}

bool UnicodeProperties::isNonspacingMark(char32_t scalar) {
    return u_charType(icuScalar(scalar)) == U_NON_SPACING_MARK;
}

} // namespace nimbrel
