#include <cstddef>
#include <cstdint>
#include <string_view>

#include <nlohmann/json.hpp>

#include "core/json/decode_error.h"
#include "core/json/json_reader.h"
#include "core/rendering/status_text.h"
#include "core/text/graphemes.h"
#include "core/text/utf8.h"
#include "core/theme/status_theme.h"
#include "fuzz/fuzz_check.h"

using namespace nimbrel;

// Any document either decodes to a theme or fails with DecodeError; a decoded theme re-encodes to itself
// and decorates any body within the limit.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        const nlohmann::json json = parseJsonDocument(bytes);
        const StatusTheme theme = StatusTheme::fromJson(json);
        FUZZ_CHECK(StatusTheme::fromJson(theme.toJson()) == theme);
        for (const int limit : {1, 10, StatusText::slackLimit}) {
            const std::string result = theme.apply("Kerala \u2014 Bonobo", limit);
            FUZZ_CHECK(Graphemes::count(result) <= static_cast<std::size_t>(limit));
            FUZZ_CHECK(Utf8::isValid(result));
        }
    } catch (const DecodeError&) {
    }
    return 0;
}
