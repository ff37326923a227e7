#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "core/ownership/slack_web_answer.h"
#include "fuzz/fuzz_check.h"

using namespace nimbrel;

// Any body reads as an accepted answer or an error code; a profile read from it survives a round trip
// through the request body we would send (its text then cut to Slack's limit).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const SlackWebAnswer::Outcome outcome = SlackWebAnswer::read(bytes);
    if (std::holds_alternative<std::string>(outcome)) {
        return 0;
    }
    const auto& answer = std::get<nlohmann::json>(outcome);
    FUZZ_CHECK(answer.is_object());
    if (const auto status = SlackWebAnswer::profileStatus(answer)) {
        const nlohmann::json body = SlackWebAnswer::profileSetBody(*status);
        const auto echoed = SlackWebAnswer::profileStatus(body);
        FUZZ_CHECK(echoed.has_value());
        FUZZ_CHECK(*echoed == SlackWebAnswer::asSent(*status));
        FUZZ_CHECK(status->text.compare(0, echoed->text.size(), echoed->text) == 0);
    }
    return 0;
}
