#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/vibe_config.h"
#include "core/rendering/slack_emoji.h"
#include "core/rendering/status_text.h"
#include "core/text/graphemes.h"
#include "core/text/utf8.h"
#include "fuzz/fuzz_check.h"

using namespace nimbrel;

namespace {

// Splits the input at U+001F (unit separator) into the fields of one rendering.
std::vector<std::string> fields(std::string_view input, std::size_t count) {
    std::vector<std::string> out;
    while (out.size() + 1 < count) {
        const std::size_t separator = input.find('\x1f');
        if (separator == std::string_view::npos) {
            break;
        }
        out.emplace_back(input.substr(0, separator));
        input.remove_prefix(separator + 1);
    }
    out.emplace_back(input);
    out.resize(count);
    return out;
}

} // namespace

// Any template, track, artist, vibe texts and theme (decoration and transform) render to valid UTF-8 of at
// most 100 characters; a decoration that fits is never cut.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const auto transform = TextTransform::allCases()[data[0] % TextTransform::allCases().size()];
    const std::string text = Utf8::sanitized(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    const std::vector<std::string> parts = fields(text, 7);

    VibeConfig config;
    config.statusFormat = parts[0];
    config.customThemes.push_back(StatusTheme{"fuzz", "Fuzz", parts[1], parts[2], transform});
    config.themeID = "fuzz";
    const Vibe vibe{"vibe", parts[3], parts[4], {}, std::nullopt};

    const std::string status = StatusText::render(config, vibe, parts[5], parts[6]);
    FUZZ_CHECK(Utf8::isValid(status));
    FUZZ_CHECK(Graphemes::count(status) <= static_cast<std::size_t>(StatusText::slackLimit));
    const StatusTheme& theme = config.customThemes.front();
    if (theme.decorationCount() + 2 <= static_cast<std::size_t>(StatusText::slackLimit)) {
        FUZZ_CHECK(std::string_view(status).starts_with(theme.prefix));
        FUZZ_CHECK(std::string_view(status).ends_with(theme.suffix));
    }

    const std::string canonical = SlackEmoji::canonicalizingShortcodes(text);
    FUZZ_CHECK(Utf8::isValid(canonical));
    FUZZ_CHECK(SlackEmoji::canonicalizingShortcodes(text) == canonical);
    FUZZ_CHECK(Utf8::isValid(SlackEmoji::normalize(text)));
    FUZZ_CHECK(Utf8::isValid(SlackEmoji::display(text)));
    return 0;
}
