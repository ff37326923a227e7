#include "core/matching/artist_identity.h"

#include "core/text/casing.h"
#include "core/text/whitespace.h"

namespace nimbrel {

std::string ArtistIdentity::normalized(std::string_view name) {
    const std::string folded = Casing::folded(name);
    std::string spelledOut;
    spelledOut.reserve(folded.size() + 8);
    for (const char c : folded) {
        if (c == '&') {
            spelledOut.append(" and ");
        } else {
            spelledOut.push_back(c);
        }
    }
    std::string collapsed = Whitespace::collapsed(spelledOut);
    constexpr std::string_view kArticle = "the ";
    std::string_view rest = collapsed;
    if (rest.starts_with(kArticle)) {
        rest.remove_prefix(kArticle.size());
    }
    return std::string(Whitespace::trimmedSpacesAndTabs(rest));
}

bool ArtistIdentity::matches(std::string_view queried, std::string_view returned) {
    const std::string wanted = normalized(queried);
    return !wanted.empty() && wanted == normalized(returned);
}

} // namespace nimbrel
