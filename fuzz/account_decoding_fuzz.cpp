#include <cstddef>
#include <cstdint>
#include <string_view>

#include <nlohmann/json.hpp>

#include "core/json/decode_error.h"
#include "core/json/json_reader.h"
#include "core/slack/slack_account.h"
#include "fuzz/fuzz_check.h"

using namespace nimbrel;

// Any account record decodes or fails with DecodeError; a decoded record encodes to one that decodes equal.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        const SlackAccount account = SlackAccount::fromJson(parseJsonDocument(bytes));
        FUZZ_CHECK(SlackAccount::fromJson(account.toJson()) == account);
        (void)account.displayName();
        (void)SlackAccount::upserting(account, {account});
    } catch (const DecodeError&) {
    }
    return 0;
}
