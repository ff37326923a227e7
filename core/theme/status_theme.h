#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "core/json/json_reader.h"
#include "core/nimbrel_core_export.h"
#include "core/theme/text_transform.h"

namespace nimbrel {

/// The decoration of a status line: a prefix and a suffix around the finished text, a transform of its
/// letters, and optionally a template of its own that replaces the configuration's default template.
struct NIMBREL_CORE_EXPORT StatusTheme {
    std::string id;
    std::string name;
    std::string prefix;
    std::string suffix;
    TextTransform transform = TextTransform::none;
    /// Stored under "template"; present (even when empty) means it replaces the default template.
    std::optional<std::string> templateText = std::nullopt;
    /// A one-line description for the editors; only built-in themes have one, and it is never stored.
    std::string summary = {};

    friend bool operator==(const StatusTheme&, const StatusTheme&) = default;

    /// The cat of the menu bar, "ᓚ₍^•ᴥ•^₎": eight characters.
    static constexpr std::string_view devoCat = "\u14DA\u208D^\u2022\u1D25\u2022^\u208E";

    /// The fifteen built-in themes, in the order of the editor's list.
    static const std::vector<StatusTheme>& builtIns();
    static const std::set<std::string, std::less<>>& builtInIDs();
    /// The built-in theme with this id. The id must be one of `builtInIDs()`.
    static const StatusTheme& builtIn(std::string_view id);

    static const StatusTheme& plain();
    static const StatusTheme& msnNick();
    static const StatusTheme& alternatingCaps();
    static const StatusTheme& leet();
    static const StatusTheme& zalgo();
    static const StatusTheme& vaporwave();
    static const StatusTheme& devoDJ();
    static const StatusTheme& sparkles();
    static const StatusTheme& sparkleThrow();
    static const StatusTheme& twinkle();
    static const StatusTheme& emo();
    static const StatusTheme& scene();
    static const StatusTheme& dagger();
    static const StatusTheme& despair();
    static const StatusTheme& shrug();

    /// An id for a new theme derived from its display name, unique among `existing`.
    static std::string uniqueID(std::string_view basedOn, const std::set<std::string, std::less<>>& existing);

    /// Whether the id is a built-in one (also for a custom theme that reuses a built-in id).
    bool isBuiltIn() const;
    /// Characters of prefix plus characters of suffix.
    std::size_t decorationCount() const;
    /// Transforms the body and wraps it in prefix and suffix within `limit` characters; the body gives way
    /// before the decoration does.
    std::string apply(std::string_view body, int limit) const;

    /// Decodes one theme record. Throws DecodeError naming the key path on a missing id or name or a
    /// value of the wrong type.
    static StatusTheme fromJson(const nlohmann::json& json, const JsonPath& path = {});
    /// The record as stored: empty prefix and suffix, `none` and an absent template are left out.
    nlohmann::json toJson() const;
};

} // namespace nimbrel
