#include "core/text/utf8.h"

#include <algorithm>
#include <cstdint>

#include <unicode/utf8.h>

namespace nimbrel {

char32_t Utf8::decodeNext(std::string_view text, std::size_t& offset) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    auto index = static_cast<std::int32_t>(offset);
    UChar32 scalar = 0;
    U8_NEXT(bytes, index, length, scalar);
    offset = static_cast<std::size_t>(index);
    return scalar < 0 ? kReplacementCharacter : static_cast<char32_t>(scalar);
}

char32_t Utf8::firstScalar(std::string_view text) {
    std::size_t offset = 0;
    return text.empty() ? 0 : decodeNext(text, offset);
}

std::u32string Utf8::decode(std::string_view text) {
    std::u32string scalars;
    scalars.reserve(text.size());
    for (std::size_t offset = 0; offset < text.size();) {
        scalars.push_back(decodeNext(text, offset));
    }
    return scalars;
}

void Utf8::append(std::string& out, char32_t scalar) {
    if (scalar > 0x10FFFF || (scalar >= 0xD800 && scalar <= 0xDFFF)) {
        scalar = kReplacementCharacter;
    }
    if (scalar < 0x80) {
        out.push_back(static_cast<char>(scalar));
    } else if (scalar < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (scalar >> 6)));
        out.push_back(static_cast<char>(0x80 | (scalar & 0x3F)));
    } else if (scalar < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (scalar >> 12)));
        out.push_back(static_cast<char>(0x80 | ((scalar >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (scalar & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (scalar >> 18)));
        out.push_back(static_cast<char>(0x80 | ((scalar >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((scalar >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (scalar & 0x3F)));
    }
}

std::string Utf8::encode(std::u32string_view scalars) {
    std::string out;
    out.reserve(scalars.size());
    for (const char32_t scalar : scalars) {
        append(out, scalar);
    }
    return out;
}

bool Utf8::isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool Utf8::isValid(std::string_view text) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    for (std::int32_t index = 0; index < length;) {
        UChar32 scalar = 0;
        U8_NEXT(bytes, index, length, scalar);
        if (scalar < 0) {
            return false;
        }
    }
    return true;
}

std::string Utf8::sanitized(std::string_view text) {
    if (isValid(text)) {
        return std::string(text);
    }
    return encode(decode(text));
}

} // namespace nimbrel
