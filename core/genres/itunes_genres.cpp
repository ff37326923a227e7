#include "core/genres/itunes_genres.h"

#include <algorithm>
#include <set>

#include "core/text/casing.h"
#include "core/text/collation.h"
#include "core/text/whitespace.h"

namespace nimbrel {

const std::vector<std::string>& ITunesGenres::known() {
    static const std::vector<std::string> kKnown = {
        "African",
        "Afro-Beat",
        "Afro-Pop",
        "Afrobeats",
        "Alternative",
        "Ambient",
        "Avant-Garde",
        "Baile Funk",
        "Blues",
        "Children's Music",
        "Christian",
        "Christian Pop",
        "Classical",
        "Contemporary Jazz",
        "Country",
        "Dance",
        "Downtempo",
        "Dubstep",
        "Electronic",
        "Electronica",
        "Fitness & Workout",
        "Folk",
        "French Pop",
        "Funk",
        "German Pop",
        "Hard Rock",
        "Hardcore",
        "Hip-Hop",
        "Hip-Hop/Rap",
        "House",
        "Indian Pop",
        "Indie Pop",
        "Indie Rock",
        "Inspirational",
        "Instrumental",
        "J-Pop",
        "Jazz",
        "Jungle/Drum'n'bass",
        "K-Pop",
        "Karaoke",
        "Latin",
        "Maghreb Rai",
        "Mandopop",
        "Meditation",
        "Metal",
        "Modern Dancehall",
        "M\u00FAsica Mexicana",
        "New Age",
        "Pop",
        "Prog-Rock/Art Rock",
        "Punk",
        "R&B/Soul",
        "Rap",
        "Reggae",
        "Rock",
        "Rock & Roll",
        "Singer/Songwriter",
        "Soundtrack",
        "Techno",
        "Teen Pop",
        "Trance",
        "TV Soundtrack",
        "Urbano latino",
        "West Coast Rap",
        "Worldwide",
    };
    return kKnown;
}

std::vector<std::string> ITunesGenres::merged(const std::vector<std::string>& observed) {
    std::vector<std::string> genres = known();
    std::set<std::string, std::less<>> seen;
    for (const std::string& genre : genres) {
        seen.insert(Casing::lowercased(genre));
    }
    for (const std::string& genre : observed) {
        const std::string_view trimmed = Whitespace::trimmed(genre);
        if (trimmed.empty()) {
            continue;
        }
        if (seen.insert(Casing::lowercased(trimmed)).second) {
            genres.emplace_back(trimmed);
        }
    }
    std::stable_sort(genres.begin(), genres.end(), [](const std::string& a, const std::string& b) {
        return Collation::localizedCaseInsensitiveLess(a, b);
    });
    return genres;
}

} // namespace nimbrel
