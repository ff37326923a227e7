#include "core/text/casing.h"

#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include "core/text/unicode_properties.h"
#include "core/text/utf8.h"

namespace nimbrel {
namespace {

icu::UnicodeString toIcu(std::string_view text) {
    return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())));
}

std::string fromIcu(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

} // namespace

std::string Casing::lowercased(std::string_view text) {
    if (Utf8::isAscii(text)) {
        std::string out(text);
        for (char& c : out) {
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            }
        }
        return out;
    }
    icu::UnicodeString value = toIcu(text);
    value.toLower(icu::Locale::getRoot());
    return fromIcu(value);
}

std::string Casing::uppercased(std::string_view text) {
    if (Utf8::isAscii(text)) {
        std::string out(text);
        for (char& c : out) {
            if (c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 'a' + 'A');
            }
        }
        return out;
    }
    icu::UnicodeString value = toIcu(text);
    value.toUpper(icu::Locale::getRoot());
    return fromIcu(value);
}

std::string Casing::folded(std::string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status)) {
        return lowercased(text);
    }
    const icu::UnicodeString decomposed = nfd->normalize(toIcu(text), status);
    icu::UnicodeString stripped;
    for (std::int32_t index = 0; index < decomposed.length();) {
        const UChar32 scalar = decomposed.char32At(index);
        if (!UnicodeProperties::isNonspacingMark(static_cast<char32_t>(scalar))) {
            stripped.append(scalar);
        }
        index += U16_LENGTH(scalar);
    }
    stripped.foldCase();
    const icu::UnicodeString composed = nfc->normalize(stripped, status);
    return U_SUCCESS(status) ? fromIcu(composed) : lowercased(text);
}

} // namespace nimbrel
