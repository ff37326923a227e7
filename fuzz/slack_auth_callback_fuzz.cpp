#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/slack/slack_auth.h"
#include "core/slack/slack_auth_failure.h"
#include "fuzz/fuzz_check.h"

using namespace nimbrel;

// Any address gives a state that could have come from a verifier, or an error with a description; the
// fatal-code check takes any text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view address(reinterpret_cast<const char*>(data), size);
    const SlackAuth::CallbackResult result = SlackAuth::parseCallback(address);
    if (const std::string* state = result.state()) {
        FUZZ_CHECK(SlackAuth::isValidState(*state));
    } else {
        FUZZ_CHECK(result.error() != nullptr);
        FUZZ_CHECK(!result.error()->description().empty());
    }
    FUZZ_CHECK(result == SlackAuth::parseCallback(address));
    (void)SlackAuthFailure::isFatal(address);
    return 0;
}
