#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/slack/slack_auth.h"
#include "fuzz/fuzz_check.h"
#include "signin/signin_service.h"

using namespace nimbrel;

namespace {

// Slack's answer to each exchange is part of the input, so its reading is fuzzed along with the requests.
class ScriptedExchange final : public SlackOAuthExchange {
public:
    std::string answer;
    SlackExchangeResult exchange(std::string_view, std::string_view) override { return readAnswer(200, answer); }
};

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    while (true) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(at + 1);
    }
}

bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

} // namespace

// The input is a series of requests to one fresh service, separated by 0xFF; each is a control byte (method
// and how far the clock moves) followed by NUL-separated fields: target, body, peer, X-Forwarded-For and
// Slack's answer to an exchange. Whatever arrives, the answers stay well-formed, every redirect goes to
// Slack's consent page or to a callback the program reads, and nothing grows beyond its cap.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const char* const kMethods[] = {"GET", "POST", "HEAD", "PUT"};
    SigninConfig config;
    config.clientID = "1.2";
    config.clientSecret = "secret";
    config.publicURL = *Url::parse("https://signin.example.com");
    config.maxSignIns = 4;
    config.rateLimitPerMinute = 8;
    Instant now = *Instants::fromSecondsSince1970(1'800'000'000);
    ScriptedExchange exchange;
    SigninService service(
        config, exchange, [&] { return now; },
        [](std::string_view line) { FUZZ_CHECK(line.find("xoxp-") == std::string_view::npos); });

    for (const std::string_view record : split(std::string_view(reinterpret_cast<const char*>(data), size), '\xff')) {
        if (record.empty()) {
            continue;
        }
        const auto control = static_cast<unsigned char>(record.front());
        now = Instants::adding(now, (control >> 2) * 20.0);
        const auto fields = split(record.substr(1), '\0');
        const auto field = [&](std::size_t i) {
            return std::string(i < fields.size() ? fields[i] : "");
        };
        exchange.answer = field(4);
        const SigninResponse response = service.handle({kMethods[control & 3], field(0), field(1), field(2), field(3)});

        FUZZ_CHECK(response.status >= 200 && response.status < 600);
        for (const auto& [name, value] : response.headers) {
            FUZZ_CHECK(!hasLineBreak(name) && !hasLineBreak(value));
        }
        if (const auto location = response.header("Location")) {
            FUZZ_CHECK(response.status == 302);
            if (location->rfind("nimbrel:", 0) == 0) {
                const auto callback = SlackAuth::parseCallback(*location);
                FUZZ_CHECK(callback.isSuccess() ||
                           callback.error()->as<SlackAuthError::MalformedCallback>() == nullptr);
            } else {
                FUZZ_CHECK(location->rfind(config.slackAuthorizeURL.text() + "?", 0) == 0);
            }
        }
        if (response.contentType == "application/json") {
            FUZZ_CHECK(!nlohmann::json::parse(response.body, nullptr, false).is_discarded());
        }
        FUZZ_CHECK(service.signInsInFlight() <= config.maxSignIns);
    }
    return 0;
}
