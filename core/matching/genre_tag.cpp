#include "core/matching/genre_tag.h"

#include <string_view>

std::size_t std::hash<nimbrel::GenreTag>::operator()(const nimbrel::GenreTag& tag) const noexcept {
    std::size_t seed = std::hash<std::string_view>{}(tag.name);
    // An absent weight must not hash like 0; any fixed odd constant keeps the cases apart in practice.
    const std::size_t weight = tag.weight ? std::hash<std::int64_t>{}(*tag.weight) : 0x9e3779b97f4a7c15ULL;
    seed ^= weight + 0x9e3779b9U + (seed << 6U) + (seed >> 2U);
    return seed;
}
