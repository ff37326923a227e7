#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include <nlohmann/json.hpp>

#include "core/nimbrel_core_export.h"
#include "core/ownership/slack_status.h"

namespace nimbrel {

/// Reading the bodies of Slack Web API answers. Slack reports its own failures inside a 200 answer, so the
/// body decides whether a call succeeded; the transport and the HTTP status are the client's business.
struct NIMBREL_CORE_EXPORT SlackWebAnswer final {
    SlackWebAnswer() = delete;

    /// The code reported when a body names no error of its own (not JSON, not an object, no "error" text).
    static constexpr std::string_view kUnknownError = "unknown Slack error";
    /// Slack's own limit on a status text, in characters.
    static constexpr std::size_t kStatusTextLimit = 100;

    /// A body that said "ok": true, as its top-level object; or Slack's error code.
    using Outcome = std::variant<nlohmann::json, std::string>;

    /// The top-level object when the body is a JSON object whose "ok" is the boolean true; otherwise the
    /// text of its "error", or kUnknownError. Never throws, whatever the bytes.
    static Outcome read(std::string_view body);
    /// The status in an accepted answer's "profile" object: text and emoji when they are text, the
    /// expiration when it is an integer, each else empty or 0. None when there is no "profile" object.
    static std::optional<SlackStatus> profileStatus(const nlohmann::json& answer);
    /// The custom emoji of an accepted emoji.list answer: "emoji" when it is an object whose values are all
    /// text; otherwise (missing, or of any other shape) an empty map. Values are passed through as given.
    static std::map<std::string, std::string> emoji(const nlohmann::json& answer);
    /// The users.profile.set body for a status: {"profile": {"status_text", "status_emoji",
    /// "status_expiration"}}, the text cut to its first kStatusTextLimit characters.
    static nlohmann::json profileSetBody(const SlackStatus& status);
    /// The status as it is sent: the text cut to its first kStatusTextLimit characters.
    static SlackStatus asSent(const SlackStatus& status);
};

} // namespace nimbrel
