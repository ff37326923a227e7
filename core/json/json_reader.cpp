#include "core/json/json_reader.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include <nlohmann/json.hpp>

#include "core/text/utf8.h"
#include "core/text/whitespace.h"

namespace nimbrel {
namespace {

// nlohmann's message reads "[json.exception.parse_error.101] parse error at line 1, column 2: syntax error
// while parsing value - invalid literal; last read: 'x'"; the part after " - " is the useful half.
std::string syntaxReason(const nlohmann::json::parse_error& error, std::string_view bytes) {
    if (Whitespace::trimmed(bytes).empty()) {
        return "the document is empty";
    }
    std::string reason = error.what();
    if (const std::size_t dash = reason.find(" - "); dash != std::string::npos) {
        reason = reason.substr(dash + 3);
    }
    return "not valid JSON (" + reason + ")";
}

// "line 3, column 7" for the character at `byte`, which nlohmann counts from 1; columns count characters,
// as a text editor shows them.
std::string lineAndColumn(std::string_view bytes, std::size_t byte) {
    const std::size_t stop = std::min<std::size_t>(byte == 0 ? 0 : byte - 1, bytes.size());
    std::size_t line = 1;
    std::size_t lineStart = 0;
    for (std::size_t offset = 0; offset < stop; ++offset) {
        if (bytes[offset] == '\n') {
            ++line;
            lineStart = offset + 1;
        }
    }
    std::size_t column = 1;
    for (std::size_t offset = lineStart; offset < stop; ++column) {
        Utf8::decodeNext(bytes, offset);
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// "[json.exception.out_of_range.406] number overflow parsing '1e999'" without its bracketed prefix.
std::string libraryReason(const nlohmann::json::exception& error) {
    std::string reason = error.what();
    if (const std::size_t bracket = reason.find("] "); bracket != std::string::npos) {
        reason = reason.substr(bracket + 2);
    }
    return "not valid JSON (" + reason + ")";
}

// Accepts every event and remembers where parsing failed.
class FailurePositionHandler final : public nlohmann::json_sax<nlohmann::json> {
public:
    std::size_t position = 0;

    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return true; }
    bool key(string_t&) override { return true; }
    bool end_object() override { return true; }
    bool start_array(std::size_t) override { return true; }
    bool end_array() override { return true; }
    // `where` counts the characters read, which ends at the token's last character; point at its first.
    bool parse_error(std::size_t where, const std::string& token, const nlohmann::detail::exception&) override {
        position = !token.empty() && where >= token.size() ? where - token.size() + 1 : where;
        return false;
    }
};

// The offset of the bracket that opens one level more than `kMaxJsonDepth`, if any. Brackets inside strings
// do not count; for a document the parser accepts this is exactly its nesting.
std::optional<std::size_t> tooDeepAt(std::string_view bytes) {
    std::size_t depth = 0;
    bool inString = false;
    for (std::size_t offset = 0; offset < bytes.size(); ++offset) {
        const char byte = bytes[offset];
        if (inString) {
            if (byte == '\\') {
                ++offset;
            } else if (byte == '"') {
                inString = false;
            }
        } else if (byte == '"') {
            inString = true;
        } else if (byte == '[' || byte == '{') {
            if (++depth > kMaxJsonDepth) {
                return offset;
            }
        } else if ((byte == ']' || byte == '}') && depth > 0) {
            --depth;
        }
    }
    return std::nullopt;
}

std::size_t failurePosition(std::string_view bytes) {
    FailurePositionHandler handler;
    nlohmann::json::sax_parse(bytes.begin(), bytes.end(), &handler);
    return handler.position;
}

} // namespace

JsonPath::JsonPath(std::string text)
    : m_text(std::move(text)) {}

JsonPath JsonPath::key(std::string_view name) const {
    return JsonPath(m_text.empty() ? std::string(name) : m_text + "." + std::string(name));
}

JsonPath JsonPath::index(std::size_t position) const {
    return JsonPath(m_text + "[" + std::to_string(position) + "]");
}

nlohmann::json parseJsonDocument(std::string_view bytes) {
    if (const std::optional<std::size_t> offset = tooDeepAt(bytes)) {
        throw DecodeError(lineAndColumn(bytes, *offset + 1),
                          "lists and objects nest more than " + std::to_string(kMaxJsonDepth) + " levels deep");
    }
    try {
        return nlohmann::json::parse(bytes.begin(), bytes.end());
    } catch (const nlohmann::json::parse_error& error) {
        throw DecodeError(lineAndColumn(bytes, error.byte), syntaxReason(error, bytes));
    } catch (const nlohmann::json::exception& error) {
        // A number too large for a double ("1e999") is reported as out_of_range, without a position;
        // find it by scanning the document again.
        throw DecodeError(lineAndColumn(bytes, failurePosition(bytes)), libraryReason(error));
    }
}

std::string describeJsonType(const nlohmann::json& value) {
    switch (value.type()) {
    case nlohmann::json::value_t::null:
        return "null";
    case nlohmann::json::value_t::object:
        return "an object";
    case nlohmann::json::value_t::array:
        return "a list";
    case nlohmann::json::value_t::string:
        return "a string";
    case nlohmann::json::value_t::boolean:
        return "true or false";
    case nlohmann::json::value_t::number_integer:
    case nlohmann::json::value_t::number_unsigned:
        return "a whole number";
    case nlohmann::json::value_t::number_float:
        return "a number with a fraction";
    case nlohmann::json::value_t::binary:
    case nlohmann::json::value_t::discarded:
        break;
    }
    return "an unsupported value";
}

JsonObjectReader::JsonObjectReader(const nlohmann::json& object, JsonPath path)
    : m_object(object)
    , m_path(std::move(path)) {
    if (!object.is_object()) {
        throwTypeMismatch(m_path, "an object", object);
    }
}

bool JsonObjectReader::contains(std::string_view key) const {
    return m_object.find(key) != m_object.end();
}

const nlohmann::json* JsonObjectReader::value(std::string_view key) const {
    const auto found = m_object.find(key);
    if (found == m_object.end() || found->is_null()) {
        return nullptr;
    }
    return &*found;
}

std::string JsonObjectReader::requiredString(std::string_view key) const {
    const auto found = m_object.find(key);
    if (found == m_object.end()) {
        throw DecodeError(m_path.key(key).text(), "required text is missing");
    }
    return stringValue(*found, m_path.key(key));
}

std::optional<std::string> JsonObjectReader::optionalString(std::string_view key) const {
    const nlohmann::json* found = value(key);
    if (found == nullptr) {
        return std::nullopt;
    }
    return stringValue(*found, m_path.key(key));
}

std::optional<bool> JsonObjectReader::optionalBool(std::string_view key) const {
    const nlohmann::json* found = value(key);
    if (found == nullptr) {
        return std::nullopt;
    }
    if (!found->is_boolean()) {
        throwTypeMismatch(m_path.key(key), "true or false", *found);
    }
    return found->get<bool>();
}

std::optional<std::int64_t> JsonObjectReader::optionalInt(std::string_view key) const {
    const nlohmann::json* found = value(key);
    if (found == nullptr) {
        return std::nullopt;
    }
    if (found->is_number_integer() && !found->is_number_unsigned()) {
        return found->get<std::int64_t>();
    }
    if (found->is_number_unsigned()) {
        const auto unsignedValue = found->get<std::uint64_t>();
        if (unsignedValue <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return static_cast<std::int64_t>(unsignedValue);
        }
        throw DecodeError(m_path.key(key).text(), "the number is too large");
    }
    // Hand-edited files say 120.0 or 1e3 as often as 120; a number without a fraction is a whole number.
    if (found->is_number_float()) {
        const double number = found->get<double>();
        constexpr double kInt64Bound = 9223372036854775808.0; // 2^63
        if (std::isfinite(number) && std::trunc(number) == number) {
            if (number < -kInt64Bound || number >= kInt64Bound) {
                throw DecodeError(m_path.key(key).text(), "the number is too large");
            }
            return static_cast<std::int64_t>(number);
        }
    }
    throwTypeMismatch(m_path.key(key), "a whole number", *found);
}

std::optional<double> JsonObjectReader::optionalDouble(std::string_view key) const {
    const nlohmann::json* found = value(key);
    if (found == nullptr) {
        return std::nullopt;
    }
    if (!found->is_number()) {
        throwTypeMismatch(m_path.key(key), "a number", *found);
    }
    return found->get<double>();
}

const nlohmann::json* JsonObjectReader::optionalArray(std::string_view key) const {
    const nlohmann::json* found = value(key);
    if (found != nullptr && !found->is_array()) {
        throwTypeMismatch(m_path.key(key), "a list", *found);
    }
    return found;
}

void JsonObjectReader::throwTypeMismatch(const JsonPath& path, std::string_view expected, const nlohmann::json& found) {
    throw DecodeError(path.text(), "expected " + std::string(expected) + ", found " + describeJsonType(found));
}

std::string JsonObjectReader::stringValue(const nlohmann::json& value, const JsonPath& path) {
    if (!value.is_string()) {
        throwTypeMismatch(path, "text", value);
    }
    return value.get<std::string>();
}

} // namespace nimbrel
