#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "core/json/json_reader.h"
#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// One entry of the ordered vibe list: what to show while music of its genres plays.
struct NIMBREL_CORE_EXPORT Vibe {
    /// The vibe's name, and its identity: two vibes with the same name are the same vibe to the editors.
    std::string name;
    /// What "{vibe}" stands for in a template.
    std::string statusText;
    /// The Slack emoji to set, normally a colon-wrapped shortcode; kept as written.
    std::string statusEmoji;
    /// Match keywords, in the user's order.
    std::vector<std::string> match;
    /// A theme that overrides the default theme while this vibe plays.
    std::optional<std::string> themeID;

    friend bool operator==(const Vibe&, const Vibe&) = default;

    /// The identity of the vibe: its name.
    const std::string& id() const noexcept { return name; }

    /// The keys a vibe record is read from, so that anything else can be reported as unknown.
    static bool isKnownKey(std::string_view key) noexcept;

    /// Decodes one vibe. Throws DecodeError naming the path when "name", "status_text" or "status_emoji"
    /// is missing, or when a value has the wrong type.
    static Vibe fromJson(const nlohmann::json& json, const JsonPath& path = {});
    /// The record as stored: "match" always, "theme" only when there is one.
    nlohmann::json toJson() const;
};

} // namespace nimbrel
