#include "core/matching/vibe_engine.h"

#include <algorithm>
#include <limits>

#include "core/text/casing.h"

namespace nimbrel {
namespace {

// The keyword test everything here uses. Both sides are already lower-cased; an empty keyword would be
// found everywhere, so it matches nothing instead.
bool containsKeyword(std::string_view loweredText, std::string_view loweredKeyword) {
    return !loweredKeyword.empty() && loweredText.find(loweredKeyword) != std::string_view::npos;
}

// The first vibe, in list order, with a keyword (in the user's order) inside the text.
std::optional<VibeResolution> firstMatch(const VibeConfig& config, std::string_view loweredText,
                                         std::string_view hitPrefix) {
    for (const Vibe& vibe : config.vibes) {
        for (const std::string& keyword : vibe.match) {
            if (containsKeyword(loweredText, Casing::lowercased(keyword))) {
                return VibeResolution{vibe, std::string(hitPrefix) + keyword};
            }
        }
    }
    return std::nullopt;
}

// Weights are expected to be small; a sum that would leave the 64-bit range stays at its edge instead of
// wrapping round and crowning the wrong vibe.
std::int64_t saturatingAdd(std::int64_t a, std::int64_t b) {
    std::int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) {
        return b > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
    }
    return sum;
}

// Every vibe scores the weights of the tags one of its keywords matches; the highest score of at least 1
// wins, the earlier vibe on a tie. Its hit is the keyword of its heaviest matching tag.
std::optional<VibeResolution> weightedVote(const VibeConfig& config, const std::vector<GenreTag>& tags) {
    std::vector<std::string> loweredNames;
    loweredNames.reserve(tags.size());
    for (const GenreTag& tag : tags) {
        loweredNames.push_back(Casing::lowercased(tag.name));
    }

    const Vibe* winner = nullptr;
    const std::string* winnerHit = nullptr;
    std::int64_t winnerScore = 0;
    for (const Vibe& vibe : config.vibes) {
        std::vector<std::string> loweredKeywords;
        loweredKeywords.reserve(vibe.match.size());
        for (const std::string& keyword : vibe.match) {
            loweredKeywords.push_back(Casing::lowercased(keyword));
        }

        std::int64_t score = 0;
        std::optional<std::int64_t> bestWeight;
        const std::string* hit = nullptr;
        for (std::size_t t = 0; t < tags.size(); ++t) {
            for (std::size_t k = 0; k < loweredKeywords.size(); ++k) {
                if (!containsKeyword(loweredNames[t], loweredKeywords[k])) {
                    continue;
                }
                const std::int64_t weight = tags[t].weight.value_or(0);
                score = saturatingAdd(score, weight);
                if (!bestWeight || weight > *bestWeight) {
                    bestWeight = weight;
                    hit = &vibe.match[k];
                }
                break; // one keyword per tag
            }
        }
        if (score >= 1 && (winner == nullptr || score > winnerScore)) {
            winner = &vibe;
            winnerHit = hit;
            winnerScore = score;
        }
    }
    if (winner == nullptr) {
        return std::nullopt;
    }
    return VibeResolution{*winner, *winnerHit};
}

std::optional<VibeResolution> byGenres(const VibeConfig& config, const std::vector<GenreTag>& tags) {
    const bool weighted =
        std::any_of(tags.begin(), tags.end(), [](const GenreTag& tag) { return tag.weight.has_value(); });
    if (weighted) {
        return weightedVote(config, tags);
    }
    // Joined, so that a keyword of two words can match two adjacent genres.
    std::string joined;
    for (const GenreTag& tag : tags) {
        if (!joined.empty()) {
            joined.push_back(' ');
        }
        joined.append(tag.name);
    }
    return firstMatch(config, Casing::lowercased(joined), "");
}

} // namespace

std::optional<VibeResolution> VibeEngine::resolve(const VibeConfig& config, const std::vector<GenreTag>& tags,
                                                  std::string_view artistName) {
    if (!config.vibes.empty()) {
        if (std::optional<VibeResolution> byGenre = byGenres(config, tags)) {
            return byGenre;
        }
        if (std::optional<VibeResolution> byName =
                firstMatch(config, Casing::lowercased(artistName), VibeResolution::kArtistNameHitPrefix)) {
            return byName;
        }
    }
    if (config.defaultVibe) {
        return VibeResolution{*config.defaultVibe, std::nullopt};
    }
    return std::nullopt;
}

std::optional<VibeResolution> VibeEngine::resolve(const VibeConfig& config, const std::vector<std::string>& genres,
                                                  std::string_view artistName) {
    std::vector<GenreTag> tags;
    tags.reserve(genres.size());
    for (const std::string& genre : genres) {
        tags.push_back(GenreTag{genre, std::nullopt});
    }
    return resolve(config, tags, artistName);
}

std::optional<VibeResolution> VibeEngine::vibe(std::string_view forGenre, const VibeConfig& config) {
    return resolve(config, std::vector<GenreTag>{GenreTag{std::string(forGenre), std::nullopt}}, "");
}

} // namespace nimbrel
