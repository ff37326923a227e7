#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "core/json/decode_error.h"
#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// The path of a value inside a document, spelled the way a user finds it: `vibes[2].status_emoji`.
class NIMBREL_CORE_EXPORT JsonPath {
public:
    JsonPath() = default;

    JsonPath key(std::string_view name) const;
    JsonPath index(std::size_t position) const;
    /// The path as text; empty for the document itself.
    const std::string& text() const noexcept { return m_text; }

private:
    explicit JsonPath(std::string text);
    std::string m_text;
};

/// How deep arrays and objects may nest in a document. The program's files nest a handful of levels; a
/// limit keeps a hostile file from exhausting the stack of code that walks the parsed value recursively.
inline constexpr std::size_t kMaxJsonDepth = 128;

/// Parses a whole document. A syntax error becomes a DecodeError located by line and column (counted in
/// characters from 1), with nlohmann's explanation as the reason; so does nesting deeper than
/// `kMaxJsonDepth`, located at the bracket that goes too deep.
NIMBREL_CORE_EXPORT nlohmann::json parseJsonDocument(std::string_view bytes);

/// "a string", "an integer", "null" …: how an error message names the JSON type it found.
NIMBREL_CORE_EXPORT std::string describeJsonType(const nlohmann::json& value);

/// Reads the keys of one JSON object with strict types: a present key of the wrong type is an error that
/// names its path, while absent keys (and, for optional keys, null) yield no value. Keys the reader is
/// not asked about are ignored.
class NIMBREL_CORE_EXPORT JsonObjectReader {
public:
    /// Throws DecodeError when `object` is not a JSON object.
    JsonObjectReader(const nlohmann::json& object, JsonPath path);

    const JsonPath& path() const noexcept { return m_path; }
    bool contains(std::string_view key) const;
    /// The value under `key`, or null when absent or null.
    const nlohmann::json* value(std::string_view key) const;

    std::string requiredString(std::string_view key) const;
    std::optional<std::string> optionalString(std::string_view key) const;
    std::optional<bool> optionalBool(std::string_view key) const;
    /// Integers only; a number with a fraction or out of range is an error.
    std::optional<std::int64_t> optionalInt(std::string_view key) const;
    /// Any JSON number.
    std::optional<double> optionalDouble(std::string_view key) const;
    /// The array under `key` (null when absent or null); anything else is an error.
    const nlohmann::json* optionalArray(std::string_view key) const;

    /// Throws DecodeError at `path` saying it expected `expected` and what it found instead.
    [[noreturn]] static void throwTypeMismatch(const JsonPath& path, std::string_view expected,
                                               const nlohmann::json& found);
    /// Reads a JSON string, or throws a type mismatch at `path`.
    static std::string stringValue(const nlohmann::json& value, const JsonPath& path);

private:
    const nlohmann::json& m_object;
    JsonPath m_path;
};

} // namespace nimbrel
