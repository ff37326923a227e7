#include "core/rendering/status_text.h"

#include <algorithm>
#include <cstdint>

#include "core/config/vibe_config.h"
#include "core/text/graphemes.h"
#include "core/text/whitespace.h"

namespace nimbrel {

std::string StatusText::clamp(std::string_view text, int limit) {
    return limit < 1 ? std::string() : Graphemes::clamped(text, static_cast<std::size_t>(limit));
}

namespace {

std::string replacingAll(std::string text, std::string_view token, std::string_view replacement) {
    std::string out;
    out.reserve(text.size());
    std::size_t position = 0;
    for (std::size_t found = text.find(token); found != std::string::npos; found = text.find(token, position)) {
        out.append(text, position, found - position);
        out.append(replacement);
        position = found + token.size();
    }
    out.append(text, position);
    return out;
}

std::size_t occurrences(std::string_view text, std::string_view token) {
    std::size_t count = 0;
    for (std::size_t found = text.find(token); found != std::string_view::npos;
         found = text.find(token, found + token.size())) {
        ++count;
    }
    return count;
}

} // namespace

std::string StatusText::filled(std::string_view templateText, const Vibe& vibe, std::string_view artist,
                               std::string_view track) {
    std::string text(templateText);
    text = replacingAll(std::move(text), kVibePlaceholder, vibe.statusText);
    text = replacingAll(std::move(text), kArtistPlaceholder, artist);
    text = replacingAll(std::move(text), kTrackPlaceholder, track);
    text = replacingAll(std::move(text), kEmojiPlaceholder, vibe.statusEmoji);
    return text;
}

std::string StatusText::render(const VibeConfig& config, const Vibe& vibe, std::string_view artist,
                               std::string_view track) {
    const StatusTheme theme = config.resolvedTheme(vibe);
    // Lengths are grapheme counts, far below the range of a signed 64-bit number.
    const auto decoration = static_cast<std::int64_t>(theme.decorationCount());
    const std::int64_t bodyLimit = std::max<std::int64_t>(slackLimit - decoration, 1);

    std::string templateText = config.resolvedTemplate(vibe);
    if (templateText.empty()) {
        templateText = kVibePlaceholder;
    }
    std::string body = filled(templateText, vibe, artist, track);

    const auto bodyLength = static_cast<std::int64_t>(Graphemes::count(body));
    if (bodyLength > bodyLimit) {
        // The track title gives way first, shortened alike wherever the template uses it.
        const auto uses =
            std::max<std::int64_t>(static_cast<std::int64_t>(occurrences(templateText, kTrackPlaceholder)), 1);
        const std::int64_t over = bodyLength - bodyLimit;
        const std::int64_t cut = (over + uses - 1) / uses + 1; // one more for the ellipsis
        const auto trackLength = static_cast<std::int64_t>(Graphemes::count(track));
        if (track.empty() || cut >= trackLength) {
            body = clamp(body, static_cast<int>(bodyLimit));
        } else {
            std::string shortTitle(
                Whitespace::droppingTrailing(Graphemes::prefix(track, static_cast<std::size_t>(trackLength - cut))));
            shortTitle.append(kEllipsis);
            // Not measured again: when the template's own text carries more of the track than it says
            // (a status text holding "{track}"), the theme's trimming below still keeps the limit.
            body = filled(templateText, vibe, artist, shortTitle);
        }
    }
    return theme.apply(body, slackLimit);
}

} // namespace nimbrel
