#include "core/ownership/slack_web_answer.h"

#include "core/json/decode_error.h"
#include "core/json/json_reader.h"
#include "core/text/graphemes.h"

namespace nimbrel {

SlackWebAnswer::Outcome SlackWebAnswer::read(std::string_view body) {
    nlohmann::json document;
    try {
        document = parseJsonDocument(body);
    } catch (const DecodeError&) {
        return std::string(kUnknownError);
    }
    if (!document.is_object()) {
        return std::string(kUnknownError);
    }
    const auto ok = document.find("ok");
    if (ok != document.end() && ok->is_boolean() && ok->get<bool>()) {
        return document;
    }
    const auto error = document.find("error");
    if (error != document.end() && error->is_string()) {
        return error->get<std::string>();
    }
    return std::string(kUnknownError);
}

std::optional<SlackStatus> SlackWebAnswer::profileStatus(const nlohmann::json& answer) {
    if (!answer.is_object()) {
        return std::nullopt;
    }
    const auto profile = answer.find("profile");
    if (profile == answer.end() || !profile->is_object()) {
        return std::nullopt;
    }
    SlackStatus status;
    if (const auto text = profile->find("status_text"); text != profile->end() && text->is_string()) {
        status.text = text->get<std::string>();
    }
    if (const auto emoji = profile->find("status_emoji"); emoji != profile->end() && emoji->is_string()) {
        status.emoji = emoji->get<std::string>();
    }
    // An integer only: a fraction or a number beyond 64 bits is not an expiry Slack would send.
    if (const auto expiration = profile->find("status_expiration"); expiration != profile->end()) {
        if (expiration->is_number_integer() && !expiration->is_number_unsigned()) {
            status.expiration = expiration->get<std::int64_t>();
        } else if (expiration->is_number_unsigned() &&
                   expiration->get<std::uint64_t>() <= static_cast<std::uint64_t>(INT64_MAX)) {
            status.expiration = static_cast<std::int64_t>(expiration->get<std::uint64_t>());
        }
    }
    return status;
}

std::map<std::string, std::string> SlackWebAnswer::emoji(const nlohmann::json& answer) {
    std::map<std::string, std::string> result;
    if (!answer.is_object()) {
        return result;
    }
    const auto list = answer.find("emoji");
    if (list == answer.end() || !list->is_object()) {
        return result;
    }
    for (const auto& [name, value] : list->items()) {
        if (!value.is_string()) {
            return {};
        }
        result.emplace(name, value.get<std::string>());
    }
    return result;
}

SlackStatus SlackWebAnswer::asSent(const SlackStatus& status) {
    SlackStatus sent = status;
    sent.text = std::string(Graphemes::prefix(status.text, kStatusTextLimit));
    return sent;
}

nlohmann::json SlackWebAnswer::profileSetBody(const SlackStatus& status) {
    const SlackStatus sent = asSent(status);
    return {{"profile",
             {{"status_text", sent.text}, {"status_emoji", sent.emoji}, {"status_expiration", sent.expiration}}}};
}

} // namespace nimbrel
