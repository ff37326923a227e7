#include <cstddef>
#include <cstdint>
#include <string_view>

#include <nlohmann/json.hpp>

#include "core/slack/slack_claim_answer.h"
#include "fuzz/fuzz_check.h"

using namespace nimbrel;

// Any body is a connection or none; a connection always carries a token and an enabled, dated account
// that survives the account record's own round trip.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::chrono::sys_seconds now{std::chrono::seconds{1'800'000'000}};
    const auto answer = SlackClaimAnswer::read(bytes, now);
    if (answer) {
        FUZZ_CHECK(!answer->token.empty());
        FUZZ_CHECK(answer->account.isEnabled && answer->account.connectedAt == now);
        FUZZ_CHECK(SlackAccount::fromJson(answer->account.toJson()) == answer->account);
    }
    (void)SlackClaimAnswer::requestBody(bytes);
    return 0;
}
