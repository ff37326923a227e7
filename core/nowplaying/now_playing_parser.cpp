#include "core/nowplaying/now_playing_parser.h"

#include <string>

#include "core/text/whitespace.h"

namespace nimbrel {

NowPlaying NowPlayingParser::parse(std::string_view output) {
    // Trimming the whole output first also drops trailing empty fields together with their tabs.
    const std::string_view trimmed = Whitespace::trimmed(output);
    if (trimmed.empty()) {
        return NowPlaying::error(std::string(kNoResponseDetail));
    }
    if (trimmed == "notrunning") {
        return NowPlaying::notRunning();
    }

    // At most two splits: a title may itself contain tabs.
    std::string_view fields[3];
    std::size_t fieldCount = 0;
    std::string_view rest = trimmed;
    while (fieldCount < 2) {
        const std::size_t tab = rest.find('\t');
        if (tab == std::string_view::npos) {
            break;
        }
        fields[fieldCount++] = rest.substr(0, tab);
        rest = rest.substr(tab + 1);
    }
    fields[fieldCount++] = rest;

    const std::string_view state = fields[0];
    std::string artist(fieldCount > 1 ? fields[1] : std::string_view{});
    std::string track(fieldCount > 2 ? fields[2] : std::string_view{});
    if (state == "playing") {
        return NowPlaying::playing(std::move(artist), std::move(track));
    }
    return NowPlaying::notPlaying(std::string(state), std::move(artist), std::move(track));
}

} // namespace nimbrel
