#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/url/url.h"
#include "fuzz/fuzz_check.h"

using namespace nimbrel;

// Parsing never crashes; an accepted address prints back as itself; query items survive a rebuild.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<Url> url = Url::parse(text);
    if (url) {
        FUZZ_CHECK(url->text() == text);
        (void)url->host();
        (void)url->port();
        if (const auto items = url->queryItems()) {
            const Url rebuilt = url->withQueryItems(*items);
            const std::optional<Url> reparsed = Url::parse(rebuilt.text());
            FUZZ_CHECK(reparsed && reparsed->queryItems() == items);
        }
    }
    const std::string encoded = Url::percentEncode(text);
    FUZZ_CHECK(Url::percentDecode(encoded) == std::string(text));
    return 0;
}
