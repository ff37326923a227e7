#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

#include "core/ownership/slack_web_answer.h"
#include "fuzz/fuzz_check.h"

using namespace nimbrel;

// Any body gives an error code or a (possibly empty) map; every name in the map is a key of the answer's
// "emoji" object and every value is that key's text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const SlackWebAnswer::Outcome outcome = SlackWebAnswer::read(bytes);
    const auto* answer = std::get_if<nlohmann::json>(&outcome);
    if (answer == nullptr) {
        return 0;
    }
    for (const auto& [name, value] : SlackWebAnswer::emoji(*answer)) {
        const nlohmann::json& listed = answer->at("emoji").at(name);
        FUZZ_CHECK(listed.is_string() && listed.get<std::string>() == value);
    }
    return 0;
}
